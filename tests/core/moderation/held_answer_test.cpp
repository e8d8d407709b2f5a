#include "core/moderation/held_answer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/moderation/raw_mail.h"
#include "core/platform/text_codec.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

const fs::path kSamples = fs::path(TARNWICK_TEST_DATA) / "moderation";
constexpr char kPassword[] = "testpass123";

MailingList List(ServerKind kind) {
  MailingList list;
  list.Title = kind == ServerKind::Fml ? "fml" : "majordomo";
  list.Type = kind;
  list.Name = "testlist";
  list.Address = kind == ServerKind::Fml ? "testlist-ctl@localhost" : "majordomo@localhost";
  list.Admin = "admin@example.org";
  list.Password = kPassword;
  return list;
}

class HeldAnswerTest : public ::testing::Test {
 protected:
  HeldStore Open() {
    std::string failure;
    std::optional<HeldStore> store = HeldStore::Open(dir_.path().string(), failure);
    EXPECT_TRUE(store.has_value()) << failure;
    return std::move(store).value();
  }

  // The item of a sample notice, kept in the store, and its post as kept.
  HeldItem Held(const std::string& sample, std::string* post = nullptr) {
    HeldStore store = Open();
    const std::optional<HeldNotice> notice = ReadHeldNotice(ReadFile(kSamples / sample));
    EXPECT_TRUE(notice.has_value()) << sample;
    int error = 0;
    store.Take(notice.value_or(HeldNotice{}), 1'800'000'000, error);
    const HeldItem item = store.items().back();
    if (post != nullptr) *post = store.PostOf(item).value_or("");
    return item;
  }

  ComposedAnswer Approve(const HeldItem& item, std::string_view post, const MailingList& list,
                         const Roster* roster = nullptr) {
    AnswerInput input;
    input.roster = roster;
    return ComposeAnswer(HeldAnswer::Approve, item, post, list, input);
  }

  testing::TempDir dir_;
};

std::string Only(const ComposedAnswer& answer) {
  EXPECT_FALSE(answer.refusal) << answer.refusal.value_or("");
  EXPECT_EQ(answer.mails.size(), 1u);
  return answer.mails.empty() ? "" : answer.mails[0];
}

TEST_F(HeldAnswerTest, AMajordomoPostGoesBackByteForByteAfterApproved) {
  const MailingList list = List(ServerKind::Majordomo);
  for (const char* sample :
       {"majordomo/01-mod-member-post.sent1.eml", "majordomo/09-mime-post-held.sent1.eml"}) {
    std::string post;
    const HeldItem item = Held(sample, &post);
    ASSERT_FALSE(post.empty()) << sample;
    const std::string mail = Only(Approve(item, post, list));
    const RawMail raw = SplitMail(mail);
    EXPECT_EQ(FieldValue(raw.header, "To"), "testlist@localhost") << sample;
    EXPECT_EQ(raw.body, std::string("Approved: ") + kPassword + "\r\n" + post) << sample;
  }
  // Eight-bit bodies and bare line ends travel unchanged: Majordomo reads the inner header.
  HeldItem item = Held("majordomo/01-mod-member-post.sent1.eml");
  const std::string eightBit = "From: a@example.net\nSubject: x\n\n\x82\xa0\x93\xfa\n\n.\n";
  const std::string approval = Only(Approve(item, eightBit, list));
  EXPECT_EQ(SplitMail(approval).body, std::string("Approved: ") + kPassword + "\r\n" + eightBit);
}

TEST_F(HeldAnswerTest, RequestsAndFmlItemsTakeTheirServersWords) {
  const MailingList majordomo = List(ServerKind::Majordomo);
  std::string mail = Only(Approve(Held("majordomo/16-closed-subscribe.sent2.eml"), "", majordomo));
  EXPECT_EQ(FieldValue(SplitMail(mail).header, "To"), "majordomo@localhost");
  EXPECT_EQ(SplitMail(mail).body,
            std::string("approve ") + kPassword + " subscribe testlist u1@example.com\r\n");

  const MailingList fml = List(ServerKind::Fml);
  const HeldItem queued = Held("fml/09-type2-post.sent1.eml");
  const ComposedAnswer certified = Approve(queued, "", fml);
  mail = Only(certified);
  EXPECT_EQ(SplitMail(mail).body, "moderator certified " + queued.fmlId + "\r\n");
  EXPECT_EQ(FieldValue(SplitMail(mail).header, "From"), "admin@example.org");
  EXPECT_EQ(certified.answerId, FieldValue(SplitMail(mail).header, "Message-ID"));
  const Roster without{{"a1@example.net"}, 0};
  const Roster with{{"a1@example.net", "Admin@Example.org"}, 0};
  EXPECT_NE(Approve(queued, "", fml, &without).warning.find("admin@example.org"),
            std::string::npos);
  EXPECT_EQ(Approve(queued, "", fml, &with).warning, "");

  std::string post;
  const HeldItem forwarded = Held("fml/03-type1-nonmember-post.sent1.eml", &post);
  mail = Only(Approve(forwarded, post, fml));
  const RawMail raw = SplitMail(mail);
  EXPECT_EQ(FieldValue(raw.header, "To"), "testlist@localhost");
  EXPECT_EQ(FieldValue(raw.header, "Approval"), kPassword);
  EXPECT_EQ(FieldValue(raw.header, "Subject"), forwarded.subject) << "no token in a post";
  EXPECT_EQ(raw.body, SplitMail(post).body);

  mail = Only(Approve(Held("fml/20-manual-confirm.sent1.eml"), "", fml));
  EXPECT_NE(SplitMail(mail).body.find(" add "), std::string::npos) << mail;
}

TEST_F(HeldAnswerTest, RefusalsNameTheItemNeverThePassword) {
  MailingList list = List(ServerKind::Majordomo);
  std::string post;
  HeldItem item = Held("majordomo/01-mod-member-post.sent1.eml", &post);
  item.postWhole = false;
  ComposedAnswer answer = Approve(item, post, list);
  ASSERT_TRUE(answer.refusal);
  EXPECT_TRUE(answer.mails.empty());
  EXPECT_NE(answer.refusal->find("切れて"), std::string::npos);

  item.postWhole = true;
  item.state = HeldState::Awaiting;
  answer = ComposeAnswer(HeldAnswer::Reject, item, post, list, {});
  ASSERT_TRUE(answer.refusal);
  EXPECT_NE(answer.refusal->find("承認待ち"), std::string::npos);

  item.state = HeldState::Pending;
  for (const char* password : {"", "line\nbreak"}) {
    list.Password = password;
    answer = Approve(item, post, list);
    ASSERT_TRUE(answer.refusal) << password;
    if (*password != '\0') {
      EXPECT_EQ(answer.refusal->find(password), std::string::npos);
    }
  }
  list.Password = kPassword;
  HeldItem request = Held("majordomo/16-closed-subscribe.sent2.eml");
  request.sender = "-rm@example.com";
  EXPECT_TRUE(Approve(request, "", list).refusal);
  HeldItem queued = Held("fml/09-type2-post.sent1.eml");
  queued.fmlId = "1 2";
  EXPECT_TRUE(Approve(queued, "", List(ServerKind::Fml)).refusal);
}

TEST_F(HeldAnswerTest, ARejectionTellsThePosterInIso2022Jp) {
  const HeldItem item = Held("majordomo/01-mod-member-post.sent1.eml");
  AnswerInput input;
  input.reason = Utf8ToCp932("話題が違います").text;
  const ComposedAnswer answer =
      ComposeAnswer(HeldAnswer::Reject, item, "", List(ServerKind::Majordomo), input);
  const std::string mail = Only(answer);  // the split's views point into it
  const RawMail raw = SplitMail(mail);
  EXPECT_NE(std::string(raw.header).find("charset=ISO-2022-JP"), std::string::npos);
  EXPECT_NE(FieldValue(raw.header, "To").value_or("").find('@'), std::string::npos);
  const std::optional<std::string> body = ToUtf8(raw.body, Encoding::Iso2022Jp);
  ASSERT_TRUE(body);
  EXPECT_NE(body->find("話題が違います"), std::string::npos) << *body;
  EXPECT_NE(body->find(item.subject), std::string::npos) << *body;
  EXPECT_EQ(std::string(raw.body).find(kPassword), std::string::npos);

  input.rejectTemplate = Utf8ToCp932("{subject} / {reason}").text;
  const std::string templated =
      Only(ComposeAnswer(HeldAnswer::Reject, item, "", List(ServerKind::Majordomo), input));
  EXPECT_EQ(ToUtf8(SplitMail(templated).body, Encoding::Iso2022Jp),
            item.subject + " / 話題が違います");
}

TEST_F(HeldAnswerTest, ManyItemsAreComposedFirstQueuedAndMarkedOnce) {
  Held("majordomo/01-mod-member-post.sent1.eml");
  Held("majordomo/16-closed-subscribe.sent2.eml");
  MailingListRegister lists;
  lists.Insert(std::make_unique<MailingList>(List(ServerKind::Majordomo)));
  MailQueue queue(dir_.path().string());
  HeldStore store = Open();
  std::vector<ItemAnswered> answered =
      AnswerItems(HeldAnswer::Approve, {1, 99}, store, lists, queue, {});
  ASSERT_EQ(answered.size(), 2u);
  EXPECT_FALSE(answered[0].refusal);
  EXPECT_EQ(answered[0].queued.size(), 1u);
  ASSERT_TRUE(answered[1].refusal) << "an unknown id";
  EXPECT_NE(answered[1].refusal->find("#99"), std::string::npos);
  EXPECT_EQ(queue.Count(FoldersOf(lists, lists.at(0))), 1);

  const HeldStore again = Open();
  EXPECT_EQ(again.items()[0].state, HeldState::Awaiting);
  const std::string queued = ReadFile(answered[0].queued[0]);
  EXPECT_EQ(again.items()[0].answerId, FieldValue(SplitMail(queued).header, "Message-ID"));
  ASSERT_NE(queued.find(kPassword), std::string::npos);
  for (const char* file : {"items", "posts"})
    EXPECT_EQ(ReadFile(dir_ / ".held" / file).find(kPassword), std::string::npos) << file;

  // Delivered, the approval is settled; an fml certification would wait for the server's word.
  EXPECT_EQ(SettleSentAnswers(store, dir_.path().string(), lists), 0u) << "not sent yet";
  const fs::path sent =
      dir_.path() / ".sent" / "testlist" / fs::path(answered[0].queued[0]).filename();
  fs::create_directories(sent.parent_path());
  fs::rename(answered[0].queued[0], sent);
  EXPECT_EQ(SettleSentAnswers(store, dir_.path().string(), lists), 1u);
  EXPECT_EQ(Open().items()[0].state, HeldState::Approved);
  EXPECT_EQ(SettleSentAnswers(store, dir_.path().string(), lists), 0u);

  answered = AnswerItems(HeldAnswer::Discard, {1, 2}, store, lists, queue, {});
  ASSERT_TRUE(answered[0].refusal) << "answered already";
  EXPECT_FALSE(answered[1].refusal);
  EXPECT_TRUE(answered[1].queued.empty());
  EXPECT_EQ(queue.Count(FoldersOf(lists, lists.at(0))), 0);
  EXPECT_EQ(Open().items()[1].state, HeldState::Discarded);
}

}  // namespace
}  // namespace tarnwick
