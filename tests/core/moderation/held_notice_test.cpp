#include "core/moderation/held_notice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/analyze/mime_mail.h"
#include "core/moderation/held_store.h"
#include "core/platform/text_codec.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

const fs::path kSamples = fs::path(TARNWICK_TEST_DATA) / "moderation";

std::string Sample(const std::string& name) {
  return ReadFile(kSamples / name);
}

// What a sample notice must read as.
struct Expected {
  NoticeForm form;
  NoticeOutcome outcome;
  HeldKind kind;
  std::string sender;  // the poster's From, or the address of a request
  std::string reason;  // how the server's words start
  std::string post;    // the sample the held post is byte for byte, when it is one
};

constexpr auto kPost = HeldKind::Post;
constexpr auto kNone = NoticeOutcome::None;

std::map<std::string, Expected> Majordomo() {
  const auto bounce = [](std::string sender, std::string reason, std::string input) {
    return Expected{
        NoticeForm::MajordomoBounce,        kNone, kPost, std::move(sender), std::move(reason),
        "majordomo/" + input + ".input.eml"};
  };
  const auto approve = [](HeldKind kind, std::string address, std::string requester) {
    return Expected{NoticeForm::MajordomoApprove,
                    kNone,
                    kind,
                    std::move(address),
                    requester + " requests that you approve the following",
                    ""};
  };
  return {
      {"01-mod-member-post.sent1.eml",
       bounce("Alice <a1@example.net>", "Approval required:", "01-mod-member-post")},
      {"02-mod-nonmember-post.sent1.eml",
       bounce("x1@example.com", "Approval required:", "02-mod-nonmember-post")},
      {"03-mod-moderator-set.sent1.eml",
       bounce("a2@example.net", "Approval required:", "03-mod-moderator-set")},
      {"07-approved-wrong-password.sent1.eml",
       {NoticeForm::MajordomoBounce, NoticeOutcome::ApprovalRefused, kPost, "x1@example.com",
        "Approval required: Invalid 'Approved:' header", ""}},
      {"09-mime-post-held.sent1.eml",
       bounce("a1@example.net", "Approval required:", "09-mime-post-held")},
      {"12-restrict-nonmember.sent1.eml",
       bounce("x2@example.com", "Non-member submission from [x2@example.com]",
              "12-restrict-nonmember")},
      {"14-maxlength-exceeded.sent1.eml",
       bounce("a1@example.net", "Message too long (>300 chars)", "14-maxlength-exceeded")},
      {"15-administrivia-subscribe-to-list.sent1.eml",
       bounce("a1@example.net", "Admin request: /^subject:\\s*subscribe\\b/i Admin request",
              "15-administrivia-subscribe-to-list")},
      {"16-closed-subscribe.sent2.eml",
       approve(HeldKind::Subscribe, "u1@example.com", "u1@example.com")},
      {"21-closedconfirm-auth.sent2.eml",
       approve(HeldKind::Subscribe, "u2@example.com", "u2@example.com")},
      {"22-open-thirdparty-subscribe.sent2.eml",
       approve(HeldKind::Subscribe, "u3@example.com", "a1@example.net")},
      {"23-thirdparty-unsubscribe.sent2.eml",
       approve(HeldKind::Unsubscribe, "a2@example.net", "a1@example.net")},
  };
}

// The same for fml's English and Japanese lists: its Subjects are English on both.
std::map<std::string, Expected> Fml(const std::string& folder) {
  const auto post = [&](NoticeForm form, std::string sender, std::string reason,
                        std::string input) {
    return Expected{form,
                    kNone,
                    kPost,
                    std::move(sender),
                    std::move(reason),
                    folder + "/" + input + ".input.eml"};
  };
  const auto outcome = [](NoticeForm form, NoticeOutcome what, std::string reason) {
    return Expected{form, what, kPost, "", std::move(reason), ""};
  };
  const auto subscribe = [](std::string address, std::string reason) {
    return Expected{NoticeForm::FmlSubscribe, kNone, HeldKind::Subscribe, std::move(address),
                    std::move(reason),        ""};
  };
  const NoticeForm certify = NoticeForm::FmlCertify;
  const NoticeForm forwarded = NoticeForm::FmlForwarded;
  return {
      {"01-membersonly-nonmember.sent1.eml",
       post(NoticeForm::FmlNotMember, "x1@example.com", "NOT MEMBER article from x1@example.com",
            "01-membersonly-nonmember")},
      {"02-type1-member-post.sent1.eml",
       post(forwarded, "a1@example.net", "Forwarded Message: [MODERATED MODE]",
            "02-type1-member-post")},
      {"03-type1-nonmember-post.sent1.eml",
       post(forwarded, "x1@example.com", "Forwarded Message:", "03-type1-nonmember-post")},
      {"06-type1-approval-wrong.sent1.eml",
       outcome(forwarded, NoticeOutcome::ApprovalRefused, "Moderated: Approval FAILED")},
      {"07-type1-approval-nonadmin.sent1.eml",
       outcome(forwarded, NoticeOutcome::ApprovalRefused, "Moderated: Approval FAILED")},
      {"08-type2-post-nomoderatorsfile.sent1.eml",
       post(certify, "x1@example.com", "submission to moderators",
            "08-type2-post-nomoderatorsfile")},
      {"09-type2-post.sent1.eml",
       post(certify, "a1@example.net", "submission to moderators", "09-type2-post")},
      {"10-type2-certify-by-member.sent1.eml",
       outcome(certify, NoticeOutcome::Resent, "moderated article[")},
      {"11-type2-certify-again.sent1.eml", outcome(certify, NoticeOutcome::NoSuchId, "")},
      {"12-type2-certify-by-nonmember.sent1.eml",
       outcome(NoticeForm::FmlNotMember, NoticeOutcome::ApprovalRefused, "NOT MEMBER article")},
      {"13-type2-certify-unknown-id.sent1.eml", outcome(certify, NoticeOutcome::NoSuchId, "")},
      {"14-type2-certify-hash-prefix.sent1.eml",
       outcome(certify, NoticeOutcome::Resent, "moderated article[")},
      {"15-type2-mime-post.sent1.eml",
       post(certify, "a2@example.net", "submission to moderators", "15-type2-mime-post")},
      {"16-type2-mime-certify.sent1.eml",
       outcome(certify, NoticeOutcome::Resent, "moderated article[")},
      {"18-type3-no-approval.sent1.eml",
       post(certify, "a1@example.net", "submission to moderators", "18-type3-no-approval")},
      {"20-manual-confirm.sent1.eml",
       subscribe("new@example.com", "I confirmed subscribe request from <new@example.com>.")},
      {"22-forward-to-admin-subscribe.sent1.eml",
       subscribe("new2@example.com", "request from new2@example.com")},
  };
}

void CheckSample(const std::string& folder, const fs::path& file, const Expected* expected) {
  SCOPED_TRACE(folder + "/" + file.filename().string());
  const std::optional<HeldNotice> notice = ReadHeldNotice(ReadFile(file));
  if (expected == nullptr) {
    EXPECT_FALSE(notice.has_value()) << "no notice to the moderator";
    return;
  }
  ASSERT_TRUE(notice.has_value());
  EXPECT_EQ(notice->server, folder == "majordomo" ? ServerKind::Majordomo : ServerKind::Fml);
  EXPECT_EQ(notice->list, "testlist");
  EXPECT_EQ(notice->host, "localhost");
  EXPECT_EQ(notice->form, expected->form);
  EXPECT_EQ(notice->outcome, expected->outcome);
  EXPECT_EQ(notice->kind, expected->kind);
  if (!expected->sender.empty()) {
    EXPECT_EQ(notice->sender, expected->sender);
  }
  EXPECT_TRUE(notice->reason.starts_with(expected->reason)) << notice->reason;
  if (!expected->post.empty()) {
    EXPECT_EQ(notice->post, Sample(expected->post)) << "the held post, byte for byte";
    EXPECT_TRUE(notice->postWhole);
  }
  if (notice->form == NoticeForm::FmlCertify || notice->outcome == NoticeOutcome::Resent) {
    EXPECT_FALSE(notice->fmlId.empty());
  }
}

TEST(HeldNoticeTest, EverySampleOfTheRealServersReadsAsItIs) {
  std::map<std::string, std::map<std::string, Expected>> all{
      {"majordomo", Majordomo()}, {"fml", Fml("fml")}, {"fml-japanese", Fml("fml-japanese")}};
  for (const auto& [folder, expected] : all) {
    std::size_t notices = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kSamples / folder)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".sent") == std::string::npos) continue;
      const auto found = expected.find(name);
      notices += found != expected.end();
      CheckSample(folder, entry.path(), found == expected.end() ? nullptr : &found->second);
    }
    EXPECT_EQ(notices, expected.size()) << folder << ": a sample named above is missing";
  }
}

TEST(HeldNoticeTest, TheHeldPostKeepsItsDateIdsAndTheFmlIdToCertify) {
  const std::optional<HeldNotice> bounce =
      ReadHeldNotice(Sample("majordomo/01-mod-member-post.sent1.eml"));
  ASSERT_TRUE(bounce.has_value());
  EXPECT_EQ(bounce->date, std::optional<std::time_t>(1717462800)) << "Tue, 04 Jun 2024 10:00 +0900";
  EXPECT_FALSE(bounce->noticeDate.has_value()) << "Majordomo's notice has no Date";
  EXPECT_EQ(bounce->subject, "member post to moderated list");
  EXPECT_EQ(bounce->messageIds, std::vector<std::string>{"<m.DnGkM4.3740@example.net>"});
  EXPECT_EQ(bounce->noticeFrom, "owner-testlist@localhost");

  const std::optional<HeldNotice> queued =
      ReadHeldNotice(Sample("fml-japanese/09-type2-post.sent1.eml"));
  ASSERT_TRUE(queued.has_value());
  EXPECT_EQ(queued->fmlId, "2026120715493712827.614630");
  EXPECT_TRUE(queued->noticeDate.has_value());
  const std::optional<HeldNotice> unknown =
      ReadHeldNotice(Sample("fml-japanese/13-type2-certify-unknown-id.sent1.eml"));
  ASSERT_TRUE(unknown.has_value());
  EXPECT_EQ(unknown->fmlId, "123.456");
  EXPECT_EQ(unknown->reason, "そのようなID=123.456は存在しません。");
  const std::optional<HeldNotice> resent =
      ReadHeldNotice(Sample("fml/10-type2-certify-by-member.sent1.eml"));
  ASSERT_TRUE(resent.has_value());
  EXPECT_EQ(resent->fmlId, "2026120715484211251.333686");
  const std::optional<HeldNotice> refused =
      ReadHeldNotice(Sample("fml/12-type2-certify-by-nonmember.sent1.eml"));
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->fmlId, "2026120715484211205.276780");
}

TEST(HeldNoticeTest, NoPasswordANoticeQuotesIsKept) {
  for (const char* name :
       {"majordomo/07-approved-wrong-password.sent1.eml", "fml/06-type1-approval-wrong.sent1.eml",
        "fml/07-type1-approval-nonadmin.sent1.eml"}) {
    const std::optional<HeldNotice> notice = ReadHeldNotice(Sample(name));
    ASSERT_TRUE(notice.has_value()) << name;
    for (const char* password : {"wrongpw", "wrongpass", "testpass123"})
      EXPECT_EQ(notice->post.find(password), std::string::npos) << name;
    EXPECT_NE(notice->post.find(": ****"), std::string::npos) << name;
  }
  // Majordomo's first-body-line approval that came back, and fml's approval line.
  const std::string ours =
      "From: owner-testlist@localhost\nSubject: BOUNCE testlist@localhost: Approval required: "
      "Invalid 'Approved:' header\n\nFrom: admin@example.org\nMessage-ID: <ours@example.org>\n\n"
      "Approved: secretpw\nFrom: x1@example.com\nMessage-Id: <held@example.net>\n\nHello\n";
  const std::optional<HeldNotice> bounced = ReadHeldNotice(ours);
  ASSERT_TRUE(bounced.has_value());
  EXPECT_EQ(bounced->outcome, NoticeOutcome::ApprovalRefused);
  EXPECT_EQ(bounced->post.find("secretpw"), std::string::npos);
  EXPECT_EQ(bounced->messageIds,
            (std::vector<std::string>{"<ours@example.org>", "<held@example.net>"}));
  const std::string line =
      "From: testlist-admin@localhost\nSubject: Moderated: Approval FAILED (testlist ML)\n\n"
      "------- Forwarded Message\n\nFrom: admin@example.org\n\n# approval secretpw forward\n"
      "Hello\n\n------- End of Forwarded Message\n";
  const std::optional<HeldNotice> failed = ReadHeldNotice(line);
  ASSERT_TRUE(failed.has_value());
  EXPECT_EQ(failed->post, "From: admin@example.org\n\n# approval **** forward\nHello\n");
  // A long password in the header and another on the first body line: both, and nothing else.
  const std::optional<HeldNotice> both = ReadHeldNotice(
      "From: owner-testlist@localhost\nSubject: BOUNCE testlist@localhost: Invalid\n\n"
      "Approved: averyveryverylongpassword\nFrom: x@example.com\n\nApproved: pw2\nApproved: no\n");
  ASSERT_TRUE(both.has_value());
  EXPECT_EQ(both->post, "Approved: ****\nFrom: x@example.com\n\nApproved: ****\nApproved: no\n");

  // A command mail the server quotes: its passwords; a post's words stay as they are.
  const std::string request =
      "From: owner-testlist@localhost\nSubject: BOUNCE testlist@localhost:  Admin request: x\n\n"
      "From: admin@example.org\n\napprove adminpw subscribe testlist u@example.com\n";
  EXPECT_TRUE(
      ReadHeldNotice(request)->post.ends_with("\napprove **** subscribe testlist u@example.com\n"));
  std::string post = request;
  post.replace(post.find("Admin request"), 13, "Approval required");
  EXPECT_EQ(ReadHeldNotice(post)->post.find("****"), std::string::npos);
  std::string quoted = Sample("fml/12-type2-certify-by-nonmember.sent1.eml");
  quoted.replace(quoted.find("   moderator certified"), 22, "   # admin pass testpass123\n   #");
  const std::optional<HeldNotice> command = ReadHeldNotice(quoted);
  ASSERT_TRUE(command.has_value());
  EXPECT_NE(command->post.find("\n# admin pass ****\n"), std::string::npos) << command->post;
}

TEST(HeldNoticeTest, BrokenNoticesGiveAClearResult) {
  const std::string head =
      "From: owner-testlist@localhost\nSubject: BOUNCE testlist@localhost: Approval required:\n";
  const std::optional<HeldNotice> noBlank =
      ReadHeldNotice(head + "\nFrom: x1@example.com\nSubject: cut off here");
  ASSERT_TRUE(noBlank.has_value());
  EXPECT_FALSE(noBlank->postWhole) << "the held post's header never ends";
  EXPECT_EQ(noBlank->sender, "x1@example.com");
  const std::optional<HeldNotice> noBody = ReadHeldNotice(head);
  ASSERT_TRUE(noBody.has_value());
  EXPECT_FALSE(noBody->postWhole);
  EXPECT_EQ(noBody->post, "");

  // Cut anywhere: never a crash, and a type 2 notice cut before its post says so.
  const std::string queued = Sample("fml/09-type2-post.sent1.eml");
  for (std::size_t size = 0; size < queued.size(); size += 5)
    (void)ReadHeldNotice(queued.substr(0, size));
  const std::optional<HeldNotice> cut = ReadHeldNotice(queued.substr(0, queued.find("From: a1")));
  ASSERT_TRUE(cut.has_value());
  EXPECT_FALSE(cut->fmlId.empty()) << "still answerable by its id";
  EXPECT_FALSE(cut->postWhole);

  // 8-bit bytes: a Shift_JIS subject shows as UTF-8, invalid bytes as replacement characters.
  const std::optional<HeldNotice> eightBit =
      ReadHeldNotice(head + "\nFrom: x@example.com\nSubject: \x93\xfa\x96\x7b \xff\x80\n\nbody\n");
  ASSERT_TRUE(eightBit.has_value());
  const std::string shown = DecodedHeaderText(eightBit->subject);
  EXPECT_TRUE(ToUtf8(shown, Encoding::Utf8).has_value());
  EXPECT_TRUE(shown.starts_with("日本")) << shown;
  EXPECT_EQ(DecodedHeaderText("=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= with attachment"),
            "テスト with attachment");
  EXPECT_FALSE(ReadHeldNotice(std::string("\0\0\x01\xff", 4)).has_value());
  EXPECT_FALSE(ReadHeldNotice("").has_value());
}

TEST(HeldNoticeTest, TwentyMebibytesAreReadAndMoreAreNot) {
  const std::string head =
      "From: owner-testlist@localhost\nSubject: BOUNCE testlist@localhost: Message too long\n\n"
      "From: x1@example.com\n\n";
  std::string mail = head + std::string(kMaxReturnedMailBytes - head.size(), 'a');
  const std::optional<HeldNotice> largest = ReadHeldNotice(mail);
  ASSERT_TRUE(largest.has_value());
  EXPECT_EQ(largest->post.size(), mail.size() - head.find("From: x1"));
  mail += 'a';
  EXPECT_FALSE(ReadHeldNotice(mail).has_value());
}

TEST(HeldNoticeTest, ANoticeAcrossIMAPKeepsItsLineEndsAndItsKey) {
  const std::string lf = Sample("majordomo/01-mod-member-post.sent1.eml");
  std::string crlf;
  for (char c : lf)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::optional<HeldNotice> a = ReadHeldNotice(lf);
  const std::optional<HeldNotice> b = ReadHeldNotice(crlf);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b->post, crlf.substr(crlf.find("\r\n\r\n") + 4));
  EXPECT_EQ(b->subject, a->subject);
  EXPECT_EQ(HeldKey(*a), HeldKey(*b));
}

MailingListRegister Register() {
  MailingListRegister lists;
  for (auto [kind, address] : {std::pair{ServerKind::Majordomo, "Majordomo@LocalHost"},
                               std::pair{ServerKind::Fml, "testlist-ctl@localhost"}}) {
    auto list = std::make_unique<MailingList>();
    list->Title = address;
    list->Type = kind;
    list->Name = "testlist";
    list->Address = address;
    lists.Insert(std::move(list));
  }
  return lists;
}

TEST(HeldNoticeTest, ANoticeBelongsToTheListItNamesFromThatListsServerOnly) {
  const MailingListRegister lists = Register();
  const auto listOf = [&](const std::string& mail) -> std::string {
    const std::optional<HeldNotice> notice = ReadHeldNotice(mail);
    const MailingList* list = notice ? ListOfNotice(*notice, lists) : nullptr;
    return list == nullptr ? "" : std::string(ServerKindName(list->Type));
  };
  const std::string bounce = Sample("majordomo/01-mod-member-post.sent1.eml");
  const std::string approve = Sample("majordomo/16-closed-subscribe.sent2.eml");
  const std::string fml = Sample("fml-japanese/09-type2-post.sent1.eml");
  EXPECT_EQ(listOf(bounce), "Majordomo");
  EXPECT_EQ(listOf(approve), "Majordomo") << "From Majordomo@localhost";
  EXPECT_EQ(listOf(fml), "FML");
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  EXPECT_EQ(listOf(replaced(bounce, "From: owner-testlist@", "From: mallory@")), "") << "forged";
  EXPECT_EQ(listOf(replaced(bounce, "BOUNCE testlist@", "BOUNCE other@")), "") << "unregistered";
  EXPECT_EQ(listOf(replaced(bounce, "testlist@localhost:", "testlist@elsewhere:")), "");
  EXPECT_EQ(listOf(replaced(fml, "From: testlist-admin@", "From: other-admin@")), "");
  EXPECT_EQ(listOf(replaced(fml, "From: testlist-admin@localhost", "From: testlist-admin@x")), "");
  EXPECT_EQ(listOf(replaced(approve, "From: Majordomo@", "From: owner-testlist@")), "Majordomo");
  EXPECT_EQ(NoticeSenders(lists.at(0)).size(), 2u);
}

}  // namespace
}  // namespace tarnwick
