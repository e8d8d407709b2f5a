// The real servers' replies, read and matched to the command mails they answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>

#include "core/compose/command_mail.h"
#include "core/compose/mail_identity.h"
#include "core/compose/queue_writer.h"
#include "core/delivery/delivered_files.h"
#include "core/delivery/smtp_delivery.h"
#include "core/results/command_outcome.h"
#include "core/results/sent_results.h"
#include "core/results/server_reply.h"
#include "support/list_server_kit.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ListServerKit;
using Texts = std::vector<std::string>;

class ServerReplies : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    kit_ = ListServerKit::FromEnvironment(TARNWICK_LISTSERVER, TARNWICK_LISTSERVER_DIR, reason);
    if (!kit_) GTEST_SKIP() << reason;
  }

  // A command mail as composed here, with a token of its own, sent to a fresh list; what every
  // reply the server sent comes to for it.
  CommandOutcome Send(ServerKind kind, const std::string& body) {
    const MailingList list = kit_->List(kind);
    const std::string mail = "From: " + list.Admin + "\r\nTo: " + list.Address + "\r\n" +
                             FormatIdentityLines("Test", list.Admin, NewMailToken(), std::time(0)) +
                             "X-Command: Test\r\n\r\n" + body;
    const std::optional<SentMail> sent = ReadSentMail(mail);
    EXPECT_TRUE(sent.has_value());
    kit_->Reset(kind);
    replies_.clear();
    for (const std::string& text : kit_->DeliverForReplies(kind, mail)) {
      // Welcome mails, approval notices and security alerts are no answer to the mail.
      if (std::optional<ServerReply> reply = ReadServerReply(text); reply && Answers(*reply, *sent))
        replies_.push_back(*reply);
    }
    sent_ = *sent;
    return OutcomeOf(sent_, Pointers());
  }

  std::vector<const ServerReply*> Pointers() const {
    std::vector<const ServerReply*> pointers;
    for (const ServerReply& reply : replies_)
      pointers.push_back(&reply);
    return pointers;
  }

  std::string Password(ServerKind kind) const { return kit_->List(kind).Password; }

  std::optional<ListServerKit> kit_;
  std::vector<ServerReply> replies_;
  SentMail sent_;
};

TEST_F(ServerReplies, MajordomoDoneAndItsWhoIsTheRoster) {
  const std::string pw = Password(ServerKind::Majordomo);
  const CommandOutcome outcome = Send(
      ServerKind::Majordomo, "approve " + pw + " subscribe testlist x@example.net\r\napprove " +
                                 pw + " subscribe testlist Yamada <y@example.net>\r\napprove " +
                                 pw + " who testlist\r\nend\r\n");
  EXPECT_EQ(outcome.state, CommandState::Done) << ::testing::PrintToString(outcome.failures);
  ASSERT_TRUE(outcome.roster.has_value());
  EXPECT_EQ(*outcome.roster, (Texts{"x@example.net", "y@example.net"}));
}

TEST_F(ServerReplies, MajordomoFailuresInItsOwnWordsWithoutThePassword) {
  const std::string pw = Password(ServerKind::Majordomo);
  const CommandOutcome outcome =
      Send(ServerKind::Majordomo,
           "approve wrongpw who testlist\r\napprove " + pw +
               " unsubscribe testlist nobody@example.net\r\npasswd testlist wrongpw s3cret\r\n"
               "end\r\n");
  EXPECT_EQ(outcome.state, CommandState::Failed);
  ASSERT_EQ(outcome.failures.size(), 3u) << ::testing::PrintToString(outcome.failures);
  EXPECT_EQ(outcome.failures[0], "who testlist: **** approve: invalid list or password.");
  EXPECT_TRUE(
      outcome.failures[1].starts_with("unsubscribe testlist nobody@example.net: **** "
                                      "unsubscribe: 'nobody@example.net' is not a member"))
      << outcome.failures[1];
  EXPECT_TRUE(outcome.failures[2].starts_with("passwd testlist **** ****: **** "))
      << outcome.failures[2];
  for (const std::string& failure : outcome.failures) {
    for (const std::string& secret : {pw, std::string("wrongpw"), std::string("s3cret")})
      EXPECT_EQ(failure.find(secret), std::string::npos) << failure;
  }
}

TEST_F(ServerReplies, FmlMembersComeOnceEachWhateverOrderTheRepliesArriveIn) {
  const CommandOutcome outcome = Send(
      ServerKind::Fml, "# admin pass " + Password(ServerKind::Fml) + "\r\n# admin members\r\n");
  EXPECT_EQ(outcome.state, CommandState::Done) << ::testing::PrintToString(outcome.failures);
  const Texts members{"admin@example.org", "a1@example.net", "a2@example.net", "a3@example.net"};
  ASSERT_TRUE(outcome.roster.has_value());
  EXPECT_EQ(*outcome.roster, members);

  ASSERT_EQ(replies_.size(), 2u);
  std::vector<const ServerReply*> twiceReversed = Pointers();
  std::reverse(twiceReversed.begin(), twiceReversed.end());
  twiceReversed.insert(twiceReversed.end(), twiceReversed.begin(), twiceReversed.end());
  const CommandOutcome again = OutcomeOf(sent_, twiceReversed);
  EXPECT_EQ(again.state, CommandState::Done);
  EXPECT_EQ(again.roster, members);
  // Only the members part arrived yet: the roster, but the state waits for the status report.
  for (const ServerReply* reply : Pointers()) {
    if (reply->kind != ReplyKind::FmlMembers) continue;
    const CommandOutcome early = OutcomeOf(sent_, {reply});
    EXPECT_EQ(early.state, CommandState::Waiting);
    EXPECT_EQ(early.roster, members);
  }
  EXPECT_EQ(OutcomeOf(sent_, {}).state, CommandState::Waiting);
}

// fml keeps a removed member in its members file as "##BYE address": no member.
TEST_F(ServerReplies, FmlMembersLeaveOutTheRemoved) {
  const CommandOutcome outcome =
      Send(ServerKind::Fml, "# admin pass " + Password(ServerKind::Fml) +
                                "\r\n# admin bye a1@example.net\r\n# admin members\r\n");
  EXPECT_EQ(outcome.state, CommandState::Done) << ::testing::PrintToString(outcome.failures);
  ASSERT_TRUE(outcome.roster.has_value());
  EXPECT_EQ(*outcome.roster, (Texts{"admin@example.org", "a2@example.net", "a3@example.net"}));
}

TEST_F(ServerReplies, FmlStopsAtAWrongPasswordAndSkipsAnUnsafeLine) {
  CommandOutcome outcome =
      Send(ServerKind::Fml, "# admin pass wrongpass\r\n# admin bye a1@example.net\r\n");
  EXPECT_EQ(outcome.state, CommandState::Failed);
  EXPECT_EQ(outcome.failures, (Texts{"admin pass ********: パスワードが間違っています。",
                                     "admin bye a1@example.net: 実行されませんでした"}));

  outcome = Send(ServerKind::Fml,
                 "# admin pass " + Password(ServerKind::Fml) +
                     "\r\n# admin add o'brien@example.net\r\n# admin add ok@example.net\r\n");
  EXPECT_EQ(outcome.state, CommandState::Failed);
  ASSERT_FALSE(outcome.failures.empty());
  EXPECT_EQ(outcome.failures[0], "admin add o'brien@example.net: 実行されませんでした");

  outcome = Send(ServerKind::Fml, "# admin pass " + Password(ServerKind::Fml) +
                                      "\r\n# admin bye nobody@example.net\r\n");
  EXPECT_EQ(outcome.state, CommandState::Failed);
  ASSERT_FALSE(outcome.failures.empty());
  EXPECT_TRUE(outcome.failures[0].starts_with("admin bye nobody@example.net: "))
      << outcome.failures[0];
  EXPECT_NE(outcome.failures[0].find("失敗"), std::string::npos) << outcome.failures[0];
}

// The whole loop on files: composed mails queued, sent to the real servers, moved among the sent
// mails, their replies kept in the mail box; each sent mail then shows its state, and the list
// its roster. (Both kit lists are named "testlist": each gets a mail box of its own.)
class KeptReplies : public ServerReplies {
 protected:
  const MailingList& Register(ServerKind kind) {
    auto list = std::make_unique<MailingList>(kit_->List(kind));
    list->Title = "list";
    return lists_.at(lists_.Insert(std::move(list)));
  }

  void SendAndKeep(const MailingList& list, CommandId id, CommandInput input, bool answered) {
    std::string mail;
    ASSERT_EQ(BuildMail(id, list, input, mail).status, ComposeStatus::Composed);
    const QueueOutcome queued = QueueMail(box_.path().string(), list.Name, mail);
    ASSERT_EQ(queued.status, QueueStatus::Queued);
    if (answered) {
      kit_->Reset(list.Type);
      for (const std::string& reply : kit_->DeliverForReplies(list.Type, mail))
        testing::WriteFile(box_ / ".replies" / (std::to_string(++replies_) + ".eml"), reply);
    }
    DeliveryReport report;
    DeliveredFiles delivered(90);
    delivered.Take(0, queued.path);
    delivered.Finish(report);
  }

  std::map<std::string, int> States(const std::vector<SentResult>& results) const {
    std::map<std::string, int> states;
    for (const SentResult& result : results)
      ++states[result.mail.title + " " + std::string(StateText(result.outcome.state))];
    return states;
  }

  testing::TempDir box_;
  MailingListRegister lists_;
  int replies_ = 0;
};

TEST_F(KeptReplies, FmlMailsShowTheirStateAndTheLatestMembersReplyIsTheRoster) {
  const MailingList& fml = Register(ServerKind::Fml);
  SendAndKeep(fml, ID_MEMBERS_PLATE, {}, true);
  CommandInput bye;
  bye.addresses = {"nobody@example.net"};
  SendAndKeep(fml, ID_UNSUBSCRIBE_PLATE, bye, true);
  bye.addresses = {"A1@example.net"};
  SendAndKeep(fml, ID_UNSUBSCRIBE_PLATE, bye, true);
  SendAndKeep(fml, ID_MEMBERS_PLATE, {}, false);

  const std::vector<SentResult> results = CollectResults(box_.path().string(), lists_);
  EXPECT_EQ(States(results), (std::map<std::string, int>{{"Get Members List 完了", 1},
                                                         {"Get Members List 待機中", 1},
                                                         {"UnSubscribe Member 完了", 1},
                                                         {"UnSubscribe Member 失敗", 1}}));
  // The latest answered members mail gives it; the removal done since takes its member out.
  const std::optional<Roster> roster = LatestRoster(results, fml);
  ASSERT_TRUE(roster.has_value());
  EXPECT_EQ(roster->members, (Texts{"admin@example.org", "a2@example.net", "a3@example.net"}));
}

TEST_F(KeptReplies, MajordomoMailsShowTheirStateAndWhoIsTheRoster) {
  const MailingList& maj = Register(ServerKind::Majordomo);
  CommandInput subscribe;
  subscribe.addresses = {"x@example.net"};
  SendAndKeep(maj, ID_SUBSCRIBE_PLATE, subscribe, true);
  SendAndKeep(maj, ID_MEMBERS_PLATE, {}, true);
  subscribe.addresses = {"y@example.net", "z@example.net"};
  SendAndKeep(maj, ID_SUBSCRIBE_PLATE, subscribe, true);
  const std::vector<SentResult> results = CollectResults(box_.path().string(), lists_);
  EXPECT_EQ(States(results), (std::map<std::string, int>{{"Get Members List 完了", 1},
                                                         {"Subscribe Member 完了", 2}}));
  // Each delivery starts from the list as set up: who finds nobody, and the subscriptions
  // done since add to what it found.
  ASSERT_TRUE(LatestRoster(results, maj).has_value());
  EXPECT_EQ(LatestRoster(results, maj)->members, (Texts{"y@example.net", "z@example.net"}));
  ASSERT_EQ(Rosters(results, maj).size(), 1u);
  EXPECT_TRUE(Rosters(results, maj).front().members.empty()) << "as the server gave it";
}

}  // namespace
}  // namespace tarnwick
