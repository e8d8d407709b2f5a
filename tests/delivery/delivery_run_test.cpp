#include "delivery/delivery_run.h"

#include <gtest/gtest.h>

#include "compose/queue_writer.h"
#include "delivery/delivery_lock.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

// Records what the window would be told, and what the queue held when the run ended.
class Recorder final : public DeliveryListener {
 public:
  void Delivered(QueuedMail& mail) override { delivered.push_back(mail.path); }
  void Ended() override {
    ++ends;
    for (const fs::path& path : delivered)
      filesLeftAtEnd += fs::exists(path) ? 1 : 0;
  }
  std::vector<fs::path> delivered;
  int ends = 0;
  int filesLeftAtEnd = 0;
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
    return {false, "dev", outcome.path};
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
  EXPECT_EQ(recorder.filesLeftAtEnd, 2) << "nothing is removed before the end is told";

  EXPECT_EQ(ReadFile(dir_ / "outbox" / "1.eml"), first);
  EXPECT_EQ(ReadFile(dir_ / "outbox" / "1.envelope"), "admin@example.jp\nfml@example.jp\n");
  EXPECT_EQ(ReadFile(dir_ / "outbox" / "2.eml"), last);
  EXPECT_FALSE(fs::exists(dir_ / "outbox" / "3.eml"));

  RemoveDelivered(mails, report);
  EXPECT_FALSE(fs::exists(mails[0].path));
  EXPECT_TRUE(fs::exists(mails[1].path)) << "the refused mail stays queued";
  EXPECT_FALSE(fs::exists(mails[2].path));
  const std::string text = FormatReport(report, mails);
  EXPECT_NE(text.find("Refused (" + mails[1].path.filename().string() + ")"), std::string::npos)
      << text;
  EXPECT_NE(text.find("応答コード : 550"), std::string::npos) << text;
  EXPECT_EQ(text.find("Last"), std::string::npos) << text;
  std::cerr << text;
}

TEST_F(DeliveryRunTest, WithoutCommonSettingsNothingIsSentAndTheRunSaysSo) {
  store_.OpenRoot().DeleteTree(kCommonKey);
  std::vector<QueuedMail> mails{Queue("From: a@x\r\nTo: b@x\r\n\r\nx\r\n")};
  Recorder recorder;
  DeliveryReport report =
      RunDelivery(store_, MailerKind::DirectSmtp, mails, ConnectToServer, recorder);
  EXPECT_EQ(recorder.ends, 1);
  EXPECT_TRUE(recorder.delivered.empty());
  EXPECT_EQ(report.runFailure, "共通設定がありません");
  EXPECT_EQ(FormatReport(report, mails), "共通設定がありません\n");
}

TEST_F(DeliveryRunTest, AFileThatCantBeRemovedIsReported) {
  std::vector<QueuedMail> mails{Queue("From: a@x\r\nTo: b@x\r\nX-Command: T\r\n\r\nx\r\n")};
  mails[0].delivered = true;
  // A folder where the file was: it can't be removed as a file.
  fs::remove(mails[0].path);
  fs::create_directories(mails[0].path / "inside");
  DeliveryReport report;
  report.mailFailures.assign(1, "");
  RemoveDelivered(mails, report);
  EXPECT_NE(report.mailFailures[0].find("送信しましたがﾌｧｲﾙを削除できませんでした"),
            std::string::npos);
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
