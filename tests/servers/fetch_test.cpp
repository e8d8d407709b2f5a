// The whole loop against real parts: command mails composed, sent over SMTP, taken by the real
// fml, whose replies land in a real IMAP mailbox (Dovecot), fetched, and matched.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli.h"
#include "core/compose/command_mail.h"
#include "core/compose/queue_reader.h"
#include "core/compose/queue_writer.h"
#include "core/delivery/delivery_run.h"
#include "core/results/reply_matching.h"
#include "core/results/sent_results.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "servers/server_loop.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ListServerKit;

class Quiet final : public DeliveryListener {
 public:
  void Delivered(QueuedMail&) override {}
  void Ended() override {}
};

class FetchRepliesTest : public testing::ServerLoopTest {
 protected:
  void SetUp() override {
    StartServers(Smtp::Started);
    if (!Started()) return;
    MailingList list = kit_->List(ServerKind::Fml);
    list.Title = "fml";
    ASSERT_FALSE(AddToRegister(store_, list).has_value());
    lists_ = LoadRegister(store_);
    kit_->Reset(ServerKind::Fml);
  }

  void Compose(CommandId id, const CommandInput& input) {
    std::string mail;
    ASSERT_EQ(BuildMail(id, lists_.at(0), input, mail).status, ComposeStatus::Composed);
    ASSERT_EQ(QueueMail(Box(), lists_.at(0).Name, mail).status, QueueStatus::Queued);
  }

  void Send() {
    std::vector<QueuedMail> mails = CollectQueue(Box(), lists_);
    Quiet quiet;
    const DeliveryReport report =
        RunDelivery(store_, MailerKind::DirectSmtp, mails, ConnectToServer, quiet);
    ASSERT_EQ(FormatReport(report, mails), "");
  }

  // What the mail server does with each mail sent: it reaches fml, whose replies to the
  // administrator land in the administrator's mailbox (its alerts go to the list's maintainer).
  // Returns the replies delivered.
  std::vector<std::string> ServeTheOutbox() {
    std::map<int, fs::path> sent;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / "outbox")) {
      if (entry.path().extension() == ".eml") sent[std::stoi(entry.path().stem())] = entry.path();
    }
    std::vector<std::string> delivered;
    for (const auto& [number, file] : sent) {
      for (const std::string& reply :
           kit_->DeliverForReplies(ServerKind::Fml, testing::ReadFile(file))) {
        if (reply.find("X-Envelope-To: <admin@example.org>") == std::string::npos) continue;
        imap_->Deliver(reply);
        delivered.push_back(reply);
      }
      fs::remove(file);
    }
    return delivered;
  }

  FetchReport Fetch() {
    return FetchMatchedReplies(ReadIncomingSettings(CommonSettings::Load(store_)), Box(), lists_);
  }

  MailingListRegister lists_;
};

TEST_F(FetchRepliesTest, RepliesAreFetchedOnceMatchedAndTheMailboxIsLeftAsItWas) {
  Compose(ID_MEMBERS_PLATE, {});
  CommandInput bye;
  bye.addresses = {"nobody@example.net"};
  Compose(ID_UNSUBSCRIBE_PLATE, bye);
  Send();
  const std::vector<std::string> replies = ServeTheOutbox();
  ASSERT_EQ(replies.size(), 3u) << "fml's members mail and two status reports";
  // A reply arriving twice, a forged one, and the administrator's other mail.
  imap_->Deliver(replies.back());
  imap_->Deliver("From: mallory@example.net\nReply-To: someone@example.net\nReferences: " +
                 replies[0].substr(replies[0].find("<"), 40) + "\nSubject: members\n\n---\n");
  imap_->Deliver("From: friend@example.org\nSubject: lunch?\n\nAt noon.\n");
  const std::vector<std::string> before = imap_->MailFiles();

  const FetchReport first = Fetch();
  EXPECT_EQ(first.failure, "");
  EXPECT_EQ(first.read, 6u);
  EXPECT_EQ(first.kept, 4u) << "the replies from the list's server, the repeated one too";
  EXPECT_EQ(first.matched, 4u);

  const std::vector<SentResult> results = CollectResults(Box(), lists_);
  ASSERT_EQ(results.size(), 2u);
  std::map<std::string, std::string> states;
  for (const SentResult& result : results)
    states[result.mail.title] = StateText(result.outcome.state);
  EXPECT_EQ(states, (std::map<std::string, std::string>{{"Get Members List", "完了"},
                                                        {"UnSubscribe Member", "失敗"}}));
  const std::optional<Roster> roster = LatestRoster(results, lists_.at(0));
  ASSERT_TRUE(roster.has_value());
  EXPECT_EQ(roster->members.size(), 4u);

  // Only new mails are read the next time; the mailbox is as it was, no mail even \Seen.
  const FetchReport second = Fetch();
  EXPECT_EQ(second.failure, "");
  EXPECT_EQ(second.read, 0u);
  EXPECT_EQ(imap_->MailFiles(), before);
}

// A returned mail for one recipient, as a mail system sends it.
std::string ReturnedMail(const std::string& recipient, const std::string& date) {
  return "From: MAILER-DAEMON@mx.example.net (Mail Delivery System)\n"
         "To: admin@example.org\nSubject: Undelivered Mail Returned to Sender\n"
         "Date: " +
         date +
         "\nMIME-Version: 1.0\n"
         "Content-Type: multipart/report; report-type=delivery-status; boundary=R\n\n"
         "--R\nContent-Type: text/plain\n\nYour message could not be delivered.\n\n"
         "--R\nContent-Type: message/delivery-status\n\nReporting-MTA: dns; mx.example.net\n\n"
         "Final-Recipient: rfc822; " +
         recipient + "\nAction: failed\nStatus: 5.1.1\n\n--R--\n";
}

// Returned mails read straight from the IMAP folder, each address marked by the roster fml
// gave: the administrator sees at once which proposals are still members.
TEST_F(FetchRepliesTest, BouncesInTheImapFolderAreMarkedByTheRoster) {
  Compose(ID_MEMBERS_PLATE, {});
  Send();
  ServeTheOutbox();
  ASSERT_EQ(Fetch().failure, "");
  const std::optional<Roster> roster = LatestRoster(CollectResults(Box(), lists_), lists_.at(0));
  ASSERT_TRUE(roster && !roster->members.empty());
  const std::string member = roster->members.back();  // not fml's administrator: he stays
  imap_->Deliver(ReturnedMail(member, "Mon, 30 Nov 2026 10:00:00 +0900"));
  imap_->Deliver(ReturnedMail("stranger@example.net", "Tue, 1 Dec 2026 10:00:00 +0900"));
  const std::vector<std::string> before = imap_->MailFiles();

  const auto bounces = [&](std::vector<std::string> args, std::string& out) {
    std::istringstream in;
    std::ostringstream output, err;
    args.insert(args.begin(), "bounces");
    const int status = cli::Run(args, store_, in, output, err);
    out = output.str() + err.str();
    return status;
  };
  std::string out;
  ASSERT_EQ(bounces({"--list", "fml", "imap:"}, out), 0) << out;
  EXPECT_NE(out.find(member + "\tpermanent\t1\t"), std::string::npos) << out;
  EXPECT_NE(out.find("\t5.1.1\tmember\n"), std::string::npos) << out;
  EXPECT_NE(
      out.find("stranger@example.net\tpermanent\t1\t2026-12-01\t2026-12-01\t5.1.1\tnon-member\n"),
      std::string::npos)
      << out;
  EXPECT_EQ(imap_->MailFiles(), before) << "the folder is only read";

  // The cron job's loop: the proposals that are members leave the list in one step.
  EXPECT_EQ(bounces({"--queue", "imap:"}, out), 2) << "which lists, --list says";
  ASSERT_EQ(bounces({"--list", "fml", "--queue", "imap:"}, out), 0) << out;
  EXPECT_TRUE(out.starts_with("fml\tRXV")) << out;
  EXPECT_TRUE(out.ends_with("\t" + member + "\n")) << out;
  Send();
  ServeTheOutbox();
  const std::string members = testing::FileText(kit_->State(ServerKind::Fml, "members"));
  EXPECT_EQ(members.find("\n" + member + "\n"), std::string::npos) << members;
  EXPECT_EQ(bounces({"imap:No such folder"}, out), 1);
  EXPECT_NE(out.find("No such folder"), std::string::npos) << out;
}

TEST_F(FetchRepliesTest, AFetchThatCantLogInSaysSoAndKeepsNothing) {
  store_.OpenRoot().OpenKey(kCommonKey, false).WriteText("IncomingPassword", "wrong");
  imap_->Deliver("From: testlist-ctl@localhost\nSubject: x\n\nx\n");
  const FetchReport report = Fetch();
  EXPECT_EQ(report.failure, "受信ｻｰﾊﾞｰへのﾛｸﾞｲﾝに失敗しました");
  EXPECT_EQ(report.kept, 0u);
  EXPECT_TRUE(fs::is_empty(dir_ / "box" / ".replies"));

  store_.OpenRoot().OpenKey(kCommonKey, false).WriteNumber("IncomingPort", smtp_->port());
  EXPECT_NE(Fetch().failure, "") << "an SMTP server is no IMAP server";
}

// A reply larger than any (past what a literal may hold, too) is passed over with a note, and
// the replies after it are still read; nothing is read twice.
TEST(FetchOfLargeReplies, AReplyTooLargeIsPassedOverAndTheNextOnesRead) {
  testing::TempDir dir;
  testing::DovecotServer imap(dir / "imap");
  ASSERT_TRUE(imap.running()) << "Debian's dovecot-imapd is needed for this test";
  MailingListRegister lists;
  auto list = std::make_unique<MailingList>();
  list->Address = "fml@example.jp";
  lists.Insert(std::move(list));
  fs::create_directories(dir / "box");
  imap.Deliver("From: fml@example.jp\nSubject: huge\n\n" +
               std::string(kMaxFetchedMailBytes + (9u << 20), 'x') + "\n");
  imap.Deliver("From: fml@example.jp\nSubject: small\n\nx\n");
  IncomingSettings settings;
  settings.server = "127.0.0.1";
  settings.port = imap.port();
  settings.security = SmtpSecurity::None;
  settings.user = "admin";
  settings.password = "secret";
  const FetchReport first = FetchMatchedReplies(settings, (dir / "box").string(), lists);
  EXPECT_EQ(first.failure, "");
  EXPECT_EQ(first.read, 2u);
  EXPECT_EQ(first.tooLarge, 1u);
  EXPECT_EQ(first.kept, 1u);
  const FetchReport again = FetchMatchedReplies(settings, (dir / "box").string(), lists);
  EXPECT_EQ(again.failure, "");
  EXPECT_EQ(again.read, 0u) << "the position moved past both";
}

// The mailbox is read over TLS with the same checks as delivery: from the first byte, or after
// STARTTLS, and never from a server whose certificate nobody trusted vouches for.
TEST(FetchOverTls, BothWaysAndOnlyToAServerTheTrustedAuthorityVouchesFor) {
  testing::TempDir dir;
  fs::create_directories(dir / "certs");
  const testing::TestCertificates certificates = testing::MakeTestCertificates(dir / "certs");
  ASSERT_FALSE(certificates.authority.empty()) << "openssl is needed for this test";
  setenv("SSL_CERT_FILE", certificates.authority.c_str(), 1);
  MailingListRegister lists;
  auto list = std::make_unique<MailingList>();
  list->Address = "fml@example.jp";
  lists.Insert(std::move(list));
  const auto fetch = [&](const testing::DovecotServer& imap, SmtpSecurity security) {
    IncomingSettings settings;
    settings.server = "localhost";
    settings.security = security;
    settings.port = security == SmtpSecurity::Tls ? imap.tlsPort() : imap.port();
    settings.user = "admin";
    settings.password = "secret";
    return FetchMatchedReplies(settings, (dir / "box").string(), lists);
  };
  fs::create_directories(dir / "box");
  {
    testing::DovecotServer imap(dir / "trusted", certificates.localhost, certificates.localhostKey);
    ASSERT_TRUE(imap.running()) << "Debian's dovecot-imapd is needed for this test";
    imap.Deliver("From: fml@example.jp\nSubject: x\n\nx\n");
    const FetchReport tls = fetch(imap, SmtpSecurity::Tls);
    EXPECT_EQ(tls.failure, "");
    EXPECT_EQ(tls.kept, 1u);
    imap.Deliver("From: fml@example.jp\nSubject: y\n\ny\n");
    const FetchReport startTls = fetch(imap, SmtpSecurity::StartTls);
    EXPECT_EQ(startTls.failure, "");
    EXPECT_EQ(startTls.read, 1u) << "only the new mail";
  }
  {
    testing::DovecotServer imap(dir / "stranger", certificates.stranger, certificates.strangerKey);
    ASSERT_TRUE(imap.running());
    imap.Deliver("From: fml@example.jp\nSubject: z\n\nz\n");
    for (SmtpSecurity security : {SmtpSecurity::Tls, SmtpSecurity::StartTls}) {
      const FetchReport refused = fetch(imap, security);
      EXPECT_NE(refused.failure, "");
      EXPECT_EQ(refused.read, 0u);
    }
  }
  unsetenv("SSL_CERT_FILE");
}

}  // namespace
}  // namespace tarnwick
