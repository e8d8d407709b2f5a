#include "core/moderation/held_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/moderation/held_collect.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

const fs::path kSamples = fs::path(TARNWICK_TEST_DATA) / "moderation";

HeldNotice Notice(const std::string& sample) {
  std::optional<HeldNotice> notice = ReadHeldNotice(ReadFile(kSamples / sample));
  EXPECT_TRUE(notice.has_value()) << sample;
  return notice.value_or(HeldNotice{});
}

class HeldStoreTest : public ::testing::Test {
 protected:
  HeldStore Open() {
    std::string failure;
    std::optional<HeldStore> store = HeldStore::Open(dir_.path().string(), failure);
    EXPECT_TRUE(store.has_value()) << failure;
    return std::move(store).value();
  }

  HeldStore::Taken Take(HeldStore& store, const HeldNotice& notice) {
    int error = -1;
    const HeldStore::Taken taken = store.Take(notice, 1'800'000'000, error);
    EXPECT_EQ(error, 0);
    return taken;
  }

  testing::TempDir dir_;
};

TEST_F(HeldStoreTest, EachItemIsKeptOnceAndReadsBackWhole) {
  HeldStore store = Open();
  const HeldNotice bounce = Notice("majordomo/01-mod-member-post.sent1.eml");
  const HeldNotice request = Notice("majordomo/16-closed-subscribe.sent2.eml");
  const HeldNotice queued = Notice("fml/09-type2-post.sent1.eml");
  EXPECT_EQ(Take(store, bounce), HeldStore::Taken::Added);
  EXPECT_EQ(Take(store, bounce), HeldStore::Taken::Known);
  EXPECT_EQ(Take(store, request), HeldStore::Taken::Added);
  EXPECT_EQ(Take(store, queued), HeldStore::Taken::Added);
  // The requester asked twice: one item still.
  EXPECT_EQ(Take(store, Notice("majordomo/21-closedconfirm-auth.sent2.eml")),
            HeldStore::Taken::Added)
      << "another address";
  EXPECT_EQ(Take(store, request), HeldStore::Taken::Known);

  const HeldStore again = Open();
  ASSERT_EQ(again.items().size(), 4u);
  const HeldItem& first = again.items()[0];
  EXPECT_EQ(first.id, 1u);
  EXPECT_EQ(first.state, HeldState::Pending);
  EXPECT_EQ(first.sender, "Alice <a1@example.net>");
  EXPECT_EQ(first.subject, "member post to moderated list");
  EXPECT_EQ(first.date, std::optional<std::time_t>(1717462800));
  EXPECT_EQ(first.arrived, 1'800'000'000) << "Majordomo's notice has no Date: when fetched";
  EXPECT_EQ(first.reason, "Approval required:");
  EXPECT_EQ(first.list, "testlist");
  EXPECT_EQ(again.PostOf(first), bounce.post);
  EXPECT_EQ(again.items()[1].kind, HeldKind::Subscribe);
  EXPECT_EQ(again.items()[1].sender, "u1@example.com");
  EXPECT_EQ(again.items()[2].fmlId, queued.fmlId);
  EXPECT_EQ(again.items()[2].form, NoticeForm::FmlCertify);
  EXPECT_EQ(again.items()[3].id, 4u);
  EXPECT_EQ(fs::status(dir_ / ".held").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(HeldStoreTest, OutcomesMoveOnlyTheItemTheyConcern) {
  HeldStore store = Open();
  const HeldNotice queued = Notice("fml/09-type2-post.sent1.eml");
  ASSERT_EQ(Take(store, queued), HeldStore::Taken::Added);
  HeldNotice unknown = Notice("fml/13-type2-certify-unknown-id.sent1.eml");
  EXPECT_EQ(Take(store, unknown), HeldStore::Taken::Ignored) << "no item of that id";
  unknown = Notice("fml/11-type2-certify-again.sent1.eml");
  ASSERT_EQ(unknown.fmlId, queued.fmlId) << "the kit's samples are one run";
  EXPECT_EQ(Take(store, unknown), HeldStore::Taken::Ignored) << "no approval went for it";

  HeldItem awaiting = store.items()[0];
  awaiting.state = HeldState::Awaiting;
  ASSERT_EQ(store.Update(awaiting), 0);
  EXPECT_EQ(Take(store, unknown), HeldStore::Taken::Applied);
  EXPECT_EQ(Open().items()[0].state, HeldState::Failed);
  EXPECT_EQ(Open().items()[0].stateReason, "no such ID=" + queued.fmlId);

  // Approved elsewhere, or by us: the server resent it.
  HeldNotice resent = Notice("fml/10-type2-certify-by-member.sent1.eml");
  ASSERT_EQ(resent.fmlId, queued.fmlId);
  awaiting.state = HeldState::Pending;
  ASSERT_EQ(store.Update(awaiting), 0);
  EXPECT_EQ(Take(store, resent), HeldStore::Taken::Applied);
  EXPECT_EQ(Open().items()[0].state, HeldState::Approved);
  EXPECT_EQ(HeldStateText(Open().items()[0].state), "承認済み");

  // Majordomo's refusal of an approval names it by the Message-ID of the approval mail.
  HeldNotice bounce = Notice("majordomo/02-mod-nonmember-post.sent1.eml");
  ASSERT_EQ(Take(store, bounce), HeldStore::Taken::Added);
  HeldItem answered = store.items()[1];
  answered.state = HeldState::Awaiting;
  answered.answerId = "<20261208.0123abcd@example.org>";
  ASSERT_EQ(store.Update(answered), 0);
  HeldNotice refused = Notice("majordomo/07-approved-wrong-password.sent1.eml");
  refused.messageIds = {"<other@example.org>"};
  EXPECT_EQ(Take(store, refused), HeldStore::Taken::Ignored);
  refused.messageIds = {answered.answerId};
  EXPECT_EQ(Take(store, refused), HeldStore::Taken::Applied);
  EXPECT_EQ(Open().items()[1].state, HeldState::Failed);
}

TEST_F(HeldStoreTest, ALinkInPlaceOfTheFolderOrADamagedItemIsNotTaken) {
  testing::TempDir elsewhere;
  fs::create_directory_symlink(elsewhere.path(), dir_ / ".held");
  std::string failure;
  EXPECT_FALSE(HeldStore::Open(dir_.path().string(), failure).has_value());
  EXPECT_NE(failure.find(".held"), std::string::npos);
  EXPECT_FALSE(HeldStore::Open("", failure).has_value()) << "no mail box set";
  fs::remove(dir_ / ".held");

  HeldStore store = Open();
  ASSERT_EQ(Take(store, Notice("majordomo/01-mod-member-post.sent1.eml")), HeldStore::Taken::Added);
  testing::WriteFile(dir_ / ".held" / "0123.item", "id\tx\nkey\t0123\n");
  testing::WriteFile(dir_ / ".held" / "4567.item", std::string(2 << 20, 'x'));
  EXPECT_EQ(Open().items().size(), 1u);

  // A notice of hostile size still makes an item that reads back.
  std::optional<HeldNotice> huge = ReadHeldNotice(
      "From: owner-testlist@localhost\nSubject: BOUNCE testlist@localhost: " +
      std::string(1 << 20, 'r') + "\n\nFrom: " + std::string(1 << 20, 's') + "\n\nx\n");
  ASSERT_TRUE(huge.has_value());
  EXPECT_LE(huge->sender.size(), 4096u);
  EXPECT_EQ(Take(store, *huge), HeldStore::Taken::Added);
  EXPECT_EQ(Open().items().size(), 2u);
}

// The kit's lists, both "testlist" on localhost: a Majordomo one, and an fml one when asked.
MailingListRegister KitLists(bool withFml = false) {
  MailingListRegister lists;
  for (const auto& [kind, address] : {std::pair{ServerKind::Majordomo, "majordomo@localhost"},
                                      {ServerKind::Fml, "testlist-ctl@localhost"}}) {
    if (kind == ServerKind::Fml && !withFml) continue;
    auto list = std::make_unique<MailingList>();
    list->Title = kind == ServerKind::Fml ? "fml" : "test";
    list->Type = kind;
    list->Name = "testlist";
    list->Address = address;
    lists.Insert(std::move(list));
  }
  return lists;
}

TEST_F(HeldStoreTest, TheCollectorTakesOnlyTheRegisteredListsNotices) {
  const MailingListRegister lists = KitLists();
  const NoticeCollector collector = HeldNoticeCollector(dir_.path().string(), lists);
  EXPECT_EQ(collector.senders,
            (std::vector<std::string>{"majordomo@localhost", "owner-testlist@localhost"}));
  std::string failure;
  const std::string bounce = ReadFile(kSamples / "majordomo/12-restrict-nonmember.sent1.eml");
  EXPECT_TRUE(collector.take(bounce, failure));
  EXPECT_TRUE(collector.take(bounce, failure));
  EXPECT_FALSE(collector.take(ReadFile(kSamples / "fml/09-type2-post.sent1.eml"), failure))
      << "no fml list registered";
  EXPECT_FALSE(
      collector.take("From: majordomo@localhost\nSubject: Majordomo results\n\n", failure));
  EXPECT_EQ(failure, "");
  EXPECT_EQ(Open().items().size(), 0u) << "on disk only once the fetch flushes it";
  EXPECT_EQ(collector.flush(), "");
  EXPECT_EQ(Open().items().size(), 1u);
}

// A held post seen as its list's article went out, approved here or by another moderator: its
// item is done. Only the article of the item's own list counts, and the moderator's own
// rejection stands.
TEST_F(HeldStoreTest, AHeldPostDistributedByItsListIsDone) {
  const MailingListRegister lists = KitLists(true);
  const auto article = [&](const NoticeCollector& collector, const std::string& fields) {
    std::string failure;
    collector.listMail(fields, failure);
    EXPECT_EQ(failure, "");
  };
  article(HeldNoticeCollector(dir_.path().string(), lists),
          "Sender: owner-testlist@localhost\r\nMessage-Id: <m.9ULYXE.29382@example.net>\r\n");
  EXPECT_FALSE(fs::exists(dir_ / ".held")) << "no store is made for an article";

  {
    HeldStore store = Open();
    for (const char* sample :
         {"majordomo/12-restrict-nonmember.sent1.eml", "fml/09-type2-post.sent1.eml",
          "majordomo/01-mod-member-post.sent1.eml"})
      ASSERT_EQ(Take(store, Notice(sample)), HeldStore::Taken::Added) << sample;
    HeldItem rejected = store.items()[2];
    rejected.state = HeldState::Rejected;
    ASSERT_EQ(store.Update(rejected), 0);
  }
  const NoticeCollector collector = HeldNoticeCollector(dir_.path().string(), lists);
  const std::string restricted = "Message-Id: <m.9ULYXE.29382@example.net>\r\n";
  article(collector, "From: x2@example.com\r\n" + restricted);
  article(collector, "Sender: owner-otherlist@localhost\r\n" + restricted);
  article(collector, "List-Id: <testlist.localhost>\r\n" + restricted);
  const auto states = [&] {
    EXPECT_EQ(collector.flush(), "");
    std::vector<HeldState> states;
    const HeldStore store = Open();
    for (const HeldItem& item : store.items())
      states.push_back(item.state);
    return states;
  };
  EXPECT_EQ(states(), (std::vector{HeldState::Pending, HeldState::Pending, HeldState::Rejected}));

  article(collector, "Sender: Owner-Testlist@LOCALHOST (Owner)\r\n" + restricted);
  article(collector, "X-ML-Name: testlist\r\nMessage-Id: <m.VtbdOd.3829@example.net>\r\n");
  article(collector,
          "Sender: owner-testlist@localhost\r\nMessage-Id: <m.DnGkM4.3740@example.net>\r\n");
  EXPECT_EQ(states(), (std::vector{HeldState::Approved, HeldState::Approved, HeldState::Rejected}));
}

}  // namespace
}  // namespace tarnwick
