#include "core/delivery/delivery_run.h"

#include <gtest/gtest.h>

#include "core/compose/queue_folder.h"
#include "core/compose/queue_writer.h"
#include "core/delivery/delivered_files.h"
#include "core/delivery/delivery_lock.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

// Records what the window would be told.
class Recorder final : public DeliveryListener {
 public:
  void Delivered(QueuedMail& mail) override {
    delivered.push_back(mail.path);
    queuedWhenTold.push_back(fs::exists(mail.path));
  }
  void Ended() override { ++ends; }
  std::vector<fs::path> delivered;
  std::vector<bool> queuedWhenTold;  // a mail still queued when the run told of its delivery
  int ends = 0;
};

class DeliveryRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "outbox");
    server_ = std::make_unique<testing::SmtpTestServer>(dir_ / "outbox");
    ASSERT_TRUE(server_->running()) << "python3-aiosmtpd is needed for this test";
    const SettingsKey common = store_.OpenRoot().CreateKey(kCommonKey);
    common.WriteText("SMTPServer", "127.0.0.1");
    common.WriteNumber("SMTPPort", server_->port());
  }

  QueuedMail Queue(const std::string& mail) {
    const QueueOutcome outcome = QueueMail(dir_.path().string(), "dev", mail);
    EXPECT_EQ(outcome.status, QueueStatus::Queued);
    return {false, outcome.path};
  }

  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
  std::unique_ptr<testing::SmtpTestServer> server_;
  MailingList list_;
};

TEST_F(DeliveryRunTest, ARealServerReceivesEachMailByteForByte) {
  const std::string first =
      "From: admin@example.jp\r\nTo: fml@example.jp\r\nDate: x\r\nX-Command: Get Help\r\n\r\n"
      "# admin pass pw\r\n.\r\n..two dots\r\n# admin help\r\n";
  const std::string refused =
      "From: admin@example.jp\r\nTo: reject@example.jp\r\nX-Command: Refused\r\n\r\nbody\r\n";
  const std::string last =
      "From: admin@example.jp\r\nTo: maj@example.org\r\nX-Command: Last\r\n\r\n\x83\x5C\r\n";
  std::vector<QueuedMail> mails{Queue(first), Queue(refused), Queue(last)};
  Recorder recorder;

  DeliveryReport report =
      RunDelivery(store_, MailerKind::DirectSmtp, mails, ConnectToServer, recorder);
  EXPECT_EQ(recorder.ends, 1);
  EXPECT_EQ(recorder.delivered, (std::vector<fs::path>{mails[0].path, mails[2].path}));
  EXPECT_EQ(recorder.queuedWhenTold, (std::vector<bool>{false, false}))
      << "each mail leaves the queue as soon as the server took it, before the next is sent";

  EXPECT_EQ(ReadFile(dir_ / "outbox" / "1.eml"), first);
  EXPECT_EQ(ReadFile(dir_ / "outbox" / "1.envelope"), "admin@example.jp\nfml@example.jp\n");
  EXPECT_EQ(ReadFile(dir_ / "outbox" / "2.eml"), last);
  EXPECT_FALSE(fs::exists(dir_ / "outbox" / "3.eml"));

  EXPECT_FALSE(fs::exists(mails[0].path));
  EXPECT_TRUE(fs::exists(mails[1].path)) << "the refused mail stays queued";
  EXPECT_FALSE(fs::exists(mails[2].path));
  // Delivered mails are kept beside the queue, under their names, with the time they were sent.
  EXPECT_EQ(ReadFile(SentPathOf(mails[0].path)), first);
  EXPECT_EQ(ReadFile(SentPathOf(mails[2].path)), last);
  EXPECT_EQ(SentPathOf(mails[2].path), dir_ / ".sent" / "dev" / mails[2].path.filename());
  EXPECT_GT(fs::last_write_time(SentPathOf(mails[0].path)),
            fs::file_time_type::clock::now() - std::chrono::minutes(1));
  EXPECT_FALSE(fs::exists(SentPathOf(mails[1].path)));
  const std::string text = FormatReport(report, mails);
  EXPECT_NE(text.find("Refused (" + mails[1].path.filename().string() + ")"), std::string::npos)
      << text;
  EXPECT_NE(text.find("応答コード : 550"), std::string::npos) << text;
  EXPECT_EQ(text.find("Last"), std::string::npos) << text;
  std::cerr << text;
}

TEST_F(DeliveryRunTest, WithoutAnSmtpServerNothingIsSentAndTheRunNamesTheFieldToFill) {
  std::vector<QueuedMail> mails{Queue("From: a@x\r\nTo: b@x\r\n\r\nx\r\n")};
  for (const bool keyKept : {true, false}) {
    if (keyKept) {
      store_.OpenRoot().OpenKey(kCommonKey, false).WriteText("SMTPServer", "");
    } else {
      store_.OpenRoot().DeleteTree(kCommonKey);
    }
    Recorder recorder;
    DeliveryReport report =
        RunDelivery(store_, MailerKind::DirectSmtp, mails, ConnectToServer, recorder);
    EXPECT_EQ(recorder.ends, 1);
    EXPECT_TRUE(recorder.delivered.empty());
    EXPECT_NE(report.runFailure.find("設定 → 共通設定の「SMTPｻｰﾊﾞ名」"), std::string::npos)
        << report.runFailure;
    EXPECT_EQ(FormatReport(report, mails), report.runFailure + "\n");
    EXPECT_TRUE(fs::exists(mails[0].path));
  }
}

TEST_F(DeliveryRunTest, TheExtendedDialoguePipelinesAndStillDeliversEveryMail) {
  store_.OpenRoot().OpenKey(kCommonKey, false).WriteNumber("SMTPExtended", 1);
  const std::string mail = "From: admin@example.jp\r\nTo: fml@example.jp\r\n\r\n.x\r\n";
  std::vector<QueuedMail> mails{Queue(mail), Queue(mail),
                                Queue("From: a@x\r\nTo: reject@example.jp\r\n\r\nx\r\n"),
                                Queue(mail)};
  Recorder recorder;
  DeliveryReport report =
      RunDelivery(store_, MailerKind::DirectSmtp, mails, ConnectToServer, recorder);
  EXPECT_EQ(recorder.delivered.size(), 3u);
  EXPECT_NE(report.mailFailures[2].find("RCPT TO: <reject@example.jp>"), std::string::npos)
      << report.mailFailures[2];
  for (const char* name : {"1.eml", "2.eml", "3.eml"})
    EXPECT_EQ(ReadFile(dir_ / "outbox" / name), mail);
  EXPECT_FALSE(fs::exists(dir_ / "outbox" / "4.eml"));
}

// Whatever happens to the sent folder, a delivered file leaves the queue: never sent twice.
TEST(DeliveredFilesTest, ADeliveredFileLeavesTheQueueOrTheReportSaysWhy) {
  testing::TempDir dir;
  const auto queued = [&](const std::string& box) {
    const fs::path file = dir / box / "dev" / "RXV1.tmp";
    testing::WriteFile(file, "mail");
    return file;
  };
  const fs::path planted = queued("planted");
  fs::create_directories(dir / "elsewhere");
  fs::create_directory_symlink(dir / "elsewhere", dir / "planted" / ".sent");
  const fs::path blocked = queued("blocked");
  testing::WriteFile(dir / "blocked" / ".sent" / "dev", "a file where the folder goes");
  const fs::path kept = queued("kept");
  // A folder where the file was, and no sent folder to take it: it can't be removed as a file.
  const fs::path stuck = dir / "stuck" / "RXV3.tmp";
  fs::create_directories(stuck / "inside");
  testing::WriteFile(dir / ".sent" / "stuck", "a file where the folder goes");
  DeliveryReport report;
  report.mailFailures.assign(4, "");
  DeliveredFiles files(90);
  files.Take(0, planted);
  files.Take(1, blocked);
  EXPECT_FALSE(fs::exists(planted)) << "removed rather than kept through a planted link";
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  EXPECT_FALSE(fs::exists(blocked));
  files.Take(2, kept);
  files.Finish(report);
  EXPECT_EQ(testing::ReadFile(dir / "kept" / ".sent" / "dev" / "RXV1.tmp"), "mail");
  EXPECT_EQ(report.mailFailures, std::vector<std::string>(4, ""));

  DeliveredFiles removing(0);
  removing.Take(3, stuck);
  removing.Finish(report);
  EXPECT_NE(report.mailFailures[3].find("送信しましたがﾌｧｲﾙを削除できませんでした"),
            std::string::npos);
}

// Not kept: the mail leaves the queue and no file of it stays; one that a killed run left in the
// sent folder goes when the next run ends.
TEST(DeliveredFilesTest, AMailNotKeptLeavesNoFileBehind) {
  testing::TempDir dir;
  const fs::path mail = dir / "dev" / "RXV1.tmp";
  const fs::path leftover = dir / ".sent" / "dev" / "RXV0.tmp";
  testing::WriteFile(mail, "mail");
  testing::WriteFile(leftover, "sent by a run killed before it was removed");
  fs::last_write_time(leftover, fs::last_write_time(leftover) - std::chrono::seconds(1));
  DeliveryReport report;
  report.mailFailures.assign(1, "");
  DeliveredFiles removing(0);
  removing.Take(0, mail);
  EXPECT_FALSE(fs::exists(mail));
  EXPECT_FALSE(fs::exists(SentPathOf(mail)));
  removing.Finish(report);
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_EQ(report.mailFailures[0], "");
}

// A sent mail of the same name (another link to the very file, or an older mail) gives way.
TEST(DeliveredFilesTest, ASentMailOfTheSameNameNeverKeepsAMailQueued) {
  testing::TempDir dir;
  const fs::path linked = dir / "a" / "RXV1.tmp";
  const fs::path older = dir / "a" / "RXV2.tmp";
  testing::WriteFile(linked, "linked");
  testing::WriteFile(older, "newer");
  testing::WriteFile(SentPathOf(older), "older");
  fs::create_hard_link(linked, SentPathOf(linked));
  DeliveredFiles files(90);
  files.Take(0, linked);
  files.Take(1, older);
  EXPECT_FALSE(fs::exists(linked));
  EXPECT_FALSE(fs::exists(older));
  EXPECT_EQ(testing::ReadFile(SentPathOf(linked)), "linked");
  EXPECT_EQ(testing::ReadFile(SentPathOf(older)), "newer");
}

TEST(DeliveredFilesTest, SentMailsAreKeptForTheirDaysThenRemoved) {
  testing::TempDir dir;
  const auto now = fs::file_time_type::clock::now();
  const auto sent = [&](const std::string& name, std::chrono::hours age) {
    const fs::path file = dir / ".sent" / "dev" / name;
    testing::WriteFile(file, "mail");
    fs::last_write_time(file, now - age);
    return file;
  };
  const fs::path young = sent("RXV1.tmp", std::chrono::hours(24 * 89));
  const fs::path old = sent("RXV2.tmp", std::chrono::hours(24 * 91));
  const fs::path notOurs = sent("notes.txt", std::chrono::hours(24 * 400));
  PruneSentMails(dir.path(), 90, now);
  EXPECT_TRUE(fs::exists(young));
  EXPECT_FALSE(fs::exists(old));
  EXPECT_TRUE(fs::exists(notOurs)) << "only sent mails are removed";
  PruneSentMails(dir.path(), 0, now);
  EXPECT_FALSE(fs::exists(young));

  testing::TempDir linked;  // a sent folder that is a link: nothing is removed through it
  fs::create_directory_symlink(dir.path() / ".sent", linked / ".sent");
  PruneSentMails(linked.path(), 90, now);
  EXPECT_TRUE(fs::exists(notOurs));
  const fs::path target = sent("RXV3.tmp", std::chrono::hours(24 * 200));
  PruneSentMails(linked.path(), 90, now);
  EXPECT_TRUE(fs::exists(target));
}

TEST(DeliveryLockTest, OneRunAtATime) {
  testing::TempDir dir;
  LockAttempt first = DeliveryLock::TryAcquire(dir.path().string());
  ASSERT_TRUE(first.lock.has_value());
  const LockAttempt second = DeliveryLock::TryAcquire(dir.path().string());
  EXPECT_FALSE(second.lock.has_value());
  EXPECT_TRUE(second.busy);
  first.lock.reset();
  EXPECT_TRUE(DeliveryLock::TryAcquire(dir.path().string()).lock.has_value());
}

// Two runs without the lock would send every mail twice: no lock, no run, and the reason.
TEST(DeliveryLockTest, ALockThatCantBeHadStopsTheRun) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / ".tarnwick-send.lock");
  LockAttempt attempt = DeliveryLock::TryAcquire(dir.path().string());
  EXPECT_FALSE(attempt.lock.has_value());
  EXPECT_FALSE(attempt.busy);
  EXPECT_NE(attempt.failure.find("が作れないため送信できません"), std::string::npos);

  testing::TempDir other;
  std::filesystem::create_symlink(dir / "elsewhere", other / ".tarnwick-send.lock");
  EXPECT_FALSE(DeliveryLock::TryAcquire(other.path().string()).lock.has_value());
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere")) << "a planted link is never followed";

  // No mail box folder: nothing is queued, so there is nothing to guard.
  EXPECT_TRUE(DeliveryLock::TryAcquire((dir / "none").string()).lock.has_value());
}

}  // namespace
}  // namespace tarnwick
