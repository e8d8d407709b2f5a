#include "core/delivery/smtp_delivery.h"

#include <gtest/gtest.h>

#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ScriptedServer;
using testing::WriteFile;

constexpr char kMailA[] = "From: admin@example.jp\r\nTo: fml@example.jp\r\n\r\n# admin members\r\n";
constexpr char kMailB[] =
    "From: admin@example.jp\r\nTo: maj@example.org\r\n\r\n.\r\napprove pw who dev\r\n";

const std::string kHelo = "HELO client.example.jp\r\n";
const std::string kEnvelopeA =
    "MAIL FROM: <admin@example.jp>\r\nRCPT TO: <fml@example.jp>\r\nDATA\r\n";
const std::string kEnvelopeB =
    "MAIL FROM: <admin@example.jp>\r\nRCPT TO: <maj@example.org>\r\nDATA\r\n";
const std::string kContentA = std::string(kMailA) + ".\r\n";
const std::string kContentB =
    "From: admin@example.jp\r\nTo: maj@example.org\r\n\r\n..\r\napprove pw who dev\r\n.\r\n";

class SmtpDeliveryTest : public ::testing::Test {
 protected:
  void Queue(std::initializer_list<const char*> mails) {
    for (const char* mail : mails) {
      const auto path = dir_ / ("RXV" + std::to_string(mails_.size() + 1) + ".tmp");
      WriteFile(path, mail);
      mails_.push_back({false, path});
    }
  }

  void Run(bool extended = false) {
    SmtpSettings settings;
    settings.extended = extended;
    settings.server = "mx.example.jp";
    settings.heloName = "client.example.jp";
    settings.timeouts = {std::chrono::milliseconds(50), std::chrono::milliseconds(50),
                         std::chrono::milliseconds(50), std::chrono::milliseconds(50)};
    SmtpDelivery(
        mails_, settings,
        [this](const SmtpSettings&) {
          return Connection{ConnectStatus::Connected, server_.Borrow()};
        },
        [this](QueuedMail& mail) {
          delivered_.push_back(mail.path.filename().string());
          writtenWhenDelivered_.push_back(server_.written().size());
        },
        report_);
  }

  testing::TempDir dir_;
  MailingList list_;
  std::vector<QueuedMail> mails_;
  ScriptedServer server_;
  std::vector<std::string> delivered_;
  std::vector<std::size_t> writtenWhenDelivered_;  // what was written when each mail was taken
  DeliveryReport report_;
};

TEST_F(SmtpDeliveryTest, DeliversEachMailInOneTransactionOnOneConnection) {
  Queue({kMailA, kMailB});
  server_.Says("220-mx.example.jp\r\n").Says("220 ESMTP\r\n").Says("250 hello\r\n");
  for (int i = 0; i < 2; ++i)
    server_.Says("250 ok\r\n250 ok\r\n354 go\r\n250 queued\r\n");
  server_.Says("221 bye\r\n");
  Run();
  EXPECT_EQ(server_.written(),
            kHelo + kEnvelopeA + kContentA + kEnvelopeB + kContentB + "QUIT\r\n");
  EXPECT_EQ(delivered_, (std::vector<std::string>{"RXV1.tmp", "RXV2.tmp"}));
  // A mail is told delivered as soon as the server took it: before the next one is on the wire.
  const std::size_t first = (kHelo + kEnvelopeA + kContentA).size();
  EXPECT_EQ(writtenWhenDelivered_,
            (std::vector<std::size_t>{first, first + (kEnvelopeB + kContentB).size()}));
  EXPECT_TRUE(mails_[0].delivered && mails_[1].delivered);
  EXPECT_EQ(report_.runFailure, "");
  EXPECT_EQ(report_.lastError, "");
}

// The report names a sent mail by the title read with its content, once its file is gone too;
// a mail the run never reached is named from its file.
TEST_F(SmtpDeliveryTest, TitlesComeFromTheContentSentOrTheFileLeft) {
  Queue({"X-Command: Get Members List\r\nFrom: a@example.jp\r\nTo: b@example.jp\r\n\r\nx\r\n",
         "X-Command: Who\r\n\r\nx\r\n"});
  server_.Says("220 ESMTP\r\n250 hello\r\n250 ok\r\n250 ok\r\n354 go\r\n250 queued\r\n");
  Run();  // the second mail finds the connection closed
  ASSERT_TRUE(mails_[0].delivered);
  std::filesystem::remove(mails_[0].path);
  EXPECT_EQ(TitleOf(mails_[0]), "Get Members List");
  mails_[1].title.reset();
  EXPECT_EQ(TitleOf(mails_[1]), "Who");
  QueuedMail untitled{false, dir_ / "gone.tmp"};
  EXPECT_EQ(TitleOf(untitled), "");
}

TEST_F(SmtpDeliveryTest, HeloRefusedEndsTheRunBeforeAnyMail) {
  Queue({kMailA, kMailB});
  server_.Says("220 mx\r\n").Says("500 who are you\r\n");
  Run();
  EXPECT_EQ(server_.written(), kHelo);
  EXPECT_EQ(report_.runFailure,
            "コマンド実行に失敗しました\nコマンド:HELO client.example.jp\r\n\n"
            "要求コード : 250\n応答コード : 500\nｻｰﾊﾞｰの応答: 500 who are you");
  EXPECT_TRUE(delivered_.empty());
}

TEST_F(SmtpDeliveryTest, RefusedRecipientsFailTheirMailAndTheNextFollowsAfterAReset) {
  Queue({kMailA, kMailB, kMailA});
  server_.Says("220 mx\r\n250 hi\r\n");
  server_.Says("250 ok\r\n251 will forward\r\n250 reset\r\n");
  server_.Says("250 ok\r\n550-5.1.1 <maj@example.org>:\r\n550 5.1.1 User unknown\a\r\n");
  server_.Says("250 reset\r\n");
  server_.Says("250 ok\r\n250 ok\r\n354 go\r\n250 queued\r\n221 bye\r\n");
  Run();
  // Without the RSET a server would take the next MAIL FROM for a nested one and refuse it.
  EXPECT_EQ(server_.written(),
            kHelo + "MAIL FROM: <admin@example.jp>\r\nRCPT TO: <fml@example.jp>\r\nRSET\r\n" +
                "MAIL FROM: <admin@example.jp>\r\nRCPT TO: <maj@example.org>\r\nRSET\r\n" +
                kEnvelopeA + kContentA + "QUIT\r\n");
  EXPECT_EQ(report_.mailFailures[0],
            "コマンド実行に失敗しました\nコマンド:RCPT TO: <fml@example.jp>\r\n\n"
            "要求コード : 250\n応答コード : 251\nｻｰﾊﾞｰの応答: 251 will forward");
  // The server's own words say why, each of its lines, without its control characters.
  EXPECT_NE(
      report_.mailFailures[1].find("応答コード : 550\nｻｰﾊﾞｰの応答: 550 5.1.1 <maj@example.org>:"
                                   "\nｻｰﾊﾞｰの応答: 550 5.1.1 User unknown?"),
      std::string::npos)
      << report_.mailFailures[1];
  // The result behind that text: the step, the code and the server's own lines.
  const StepResult& refused = report_.mailResults[1];
  EXPECT_EQ(refused.outcome, StepResult::Outcome::Refused);
  EXPECT_EQ(refused.step, "RCPT TO");
  EXPECT_EQ(refused.expected, 250);
  EXPECT_EQ(refused.reply.code, 550);
  EXPECT_EQ(refused.reply.lines,
            (std::vector<std::string>{"5.1.1 <maj@example.org>:", "5.1.1 User unknown\a"}));
  EXPECT_TRUE(report_.mailResults[2].done());
  EXPECT_EQ(delivered_, (std::vector<std::string>{"RXV3.tmp"}));
}

// With the extended dialogue a pipelining server gets each mail's envelope in one write, and the
// replies are read after: two round trips a mail. A refusal is the same failure as without.
TEST_F(SmtpDeliveryTest, APipeliningServerGetsEachEnvelopeInOneWrite) {
  Queue({kMailA, kMailB, kMailA});
  server_.Says("220 mx\r\n").Says("250-mx\r\n250-PIPELINING\r\n250 8BITMIME\r\n");
  server_.Says("250 ok\r\n250 ok\r\n354 go\r\n").Says("250 queued\r\n");
  server_.Says("250 ok\r\n550 5.1.1 User unknown\r\n554 no valid recipients\r\n");
  server_.Says("250 reset\r\n");
  server_.Says("250 ok\r\n250 ok\r\n354 go\r\n").Says("250 queued\r\n221 bye\r\n");
  Run(true);
  EXPECT_EQ(server_.writes(),
            (std::vector<std::string>{"EHLO client.example.jp\r\n", kEnvelopeA, kContentA,
                                      kEnvelopeB, "RSET\r\n", kEnvelopeA, kContentA, "QUIT\r\n"}));
  EXPECT_EQ(delivered_, (std::vector<std::string>{"RXV1.tmp", "RXV3.tmp"}));
  EXPECT_EQ(report_.mailResults[1].step, "RCPT TO");
  EXPECT_EQ(report_.mailResults[1].reply.code, 550);
  EXPECT_EQ(report_.mailResults[1].command, "RCPT TO: <maj@example.org>\r\n");
}

// A server that says go ahead to DATA after refusing the recipient gets an empty mail's end, never
// the content; one that knows no EHLO is spoken to with HELO, one step at a time.
TEST_F(SmtpDeliveryTest, PipeliningNeverSendsContentWithoutItsEnvelope) {
  Queue({kMailA});
  server_.Says("220 mx\r\n250-mx\r\n250 PIPELINING\r\n");
  server_.Says("250 ok\r\n550 unknown\r\n354 go\r\n").Says("554 no recipients\r\n");
  server_.Says("221 bye\r\n");
  Run(true);
  EXPECT_EQ(server_.written(), "EHLO client.example.jp\r\n" + kEnvelopeA + ".\r\nQUIT\r\n");
  EXPECT_EQ(report_.mailResults[0].step, "RCPT TO");
  EXPECT_TRUE(delivered_.empty());
}

TEST_F(SmtpDeliveryTest, AServerWithoutEhloIsSpokenToWithHelo) {
  Queue({kMailA});
  server_.Says("220 mx\r\n502 command not implemented\r\n250 hi\r\n");
  server_.Says("250 ok\r\n").Says("250 ok\r\n").Says("354 go\r\n250 queued\r\n221 bye\r\n");
  Run(true);
  EXPECT_EQ(server_.writes(),
            (std::vector<std::string>{
                "EHLO client.example.jp\r\n", kHelo, "MAIL FROM: <admin@example.jp>\r\n",
                "RCPT TO: <fml@example.jp>\r\n", "DATA\r\n", kContentA, "QUIT\r\n"}));
  EXPECT_EQ(delivered_, (std::vector<std::string>{"RXV1.tmp"}));
}

TEST_F(SmtpDeliveryTest, MailRefusedAfterItsDataStaysQueued) {
  Queue({kMailA});
  server_.Says("220 mx\r\n250 hi\r\n250 ok\r\n250 ok\r\n354 go\r\n554 rejected\r\n221 bye\r\n");
  Run();
  EXPECT_TRUE(delivered_.empty());
  EXPECT_FALSE(mails_[0].delivered);
  EXPECT_EQ(report_.mailFailures[0],
            "コマンド実行に失敗しました\nコマンド:.\r\n\n要求コード : 250\n応答コード : 554"
            "\nｻｰﾊﾞｰの応答: 554 rejected");
}

TEST_F(SmtpDeliveryTest, AServerThatHangsUpMidDataFailsTheMail) {
  Queue({kMailA, kMailB});
  server_.Says("220 mx\r\n250 hi\r\n250 ok\r\n250 ok\r\n354 go\r\n");
  server_.FailWritesAfter(kHelo.size() + kEnvelopeA.size() + 10);
  Run();
  EXPECT_TRUE(delivered_.empty());
  EXPECT_EQ(report_.mailFailures[0], "データ送信に失敗しました");
  // The connection is gone: nothing more is tried on it, and the rest stays queued.
  EXPECT_EQ(report_.mailFailures[1], "");
  EXPECT_FALSE(mails_[1].delivered);
  EXPECT_EQ(report_.runFailure, "接続が切れたため、残りのﾒｰﾙは送信していません");
}

TEST_F(SmtpDeliveryTest, AStalledServerTimesOut) {
  Queue({kMailA});
  server_.Says("220 mx\r\n250 hi\r\n250 ok\r\n");
  server_.StallWhenDone();
  Run();
  EXPECT_EQ(report_.mailFailures[0], "応答受信(RCPT TO)に失敗しました");
  EXPECT_EQ(report_.lastError, "応答受信(RCPT TO)に失敗しました") << "no QUIT waits on it";
  EXPECT_EQ(server_.written().find("QUIT"), std::string::npos);
}

// A server that never answers the end of data costs one timeout, not one per mail left.
TEST_F(SmtpDeliveryTest, AServerSilentAfterTheDataEndsTheRunAndKeepsTheRest) {
  Queue({kMailA, kMailB, kMailA});
  server_.Says("220 mx\r\n250 hi\r\n250 ok\r\n250 ok\r\n354 go\r\n");
  server_.StallWhenDone();
  Run();
  EXPECT_EQ(server_.written(), kHelo + kEnvelopeA + kContentA);
  EXPECT_TRUE(delivered_.empty());
  EXPECT_EQ(report_.mailFailures[0], "応答受信(データ送信)に失敗しました");
  EXPECT_EQ(report_.mailFailures[1], "");
  EXPECT_EQ(report_.mailFailures[2], "");
  EXPECT_EQ(report_.runFailure, "接続が切れたため、残りのﾒｰﾙは送信していません");
}

TEST_F(SmtpDeliveryTest, NoGreetingNoConnectionNoServer) {
  Queue({kMailA});
  Run();  // hangs up at once
  EXPECT_EQ(report_.runFailure, "ホストへの接続(応答受信)に失敗しました");
  SmtpSettings settings;
  settings.server = "nowhere";
  for (const auto& [status, text] :
       {std::pair{ConnectStatus::NotConnected, "ホストへの接続に失敗しました"},
        std::pair{ConnectStatus::NotResolved, "SMTPｻｰﾊﾞ(nowhere)が見つかりません"}}) {
    DeliveryReport report;
    SmtpDelivery(
        mails_, settings,
        [status = status](const SmtpSettings&) {
          return Connection{status, nullptr};
        },
        [](QueuedMail&) {}, report);
    EXPECT_EQ(report.runFailure, text);
  }
}

TEST_F(SmtpDeliveryTest, MailsThatCantBeSentAsTheyAreFailWithoutATransaction) {
  Queue({"From: admin@example.jp\r\nDate: x\r\nX-Command: y\r\nno header end\r\n",
         "From: a@x\r\nTo: b@x\x01\r\n\r\nbody\r\n"});
  mails_.push_back({false, dir_ / "missing.tmp"});
  Queue({""});
  WriteFile(mails_[3].path, "From: a@x\r\nTo: b@x\r\n\r\n" + std::string(1200, 'x') + "\r\n");
  server_.Says("220 mx\r\n250 hi\r\n221 bye\r\n");
  Run();
  EXPECT_EQ(server_.written(), kHelo + "QUIT\r\n");
  EXPECT_EQ(report_.mailFailures[0], "宛先か自分のアドレスを取得できませんでした");
  EXPECT_EQ(report_.mailFailures[1], "宛先か自分のアドレスを取得できませんでした");
  EXPECT_EQ(report_.mailFailures[2],
            "ファイル(" + (dir_ / "missing.tmp").string() + ")を開けません");
  EXPECT_EQ(report_.mailFailures[3], "4行目が998バイトを超えているため送信できません");
}

}  // namespace
}  // namespace tarnwick
