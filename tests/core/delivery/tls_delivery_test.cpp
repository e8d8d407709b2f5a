#include <gtest/gtest.h>

#include <cstdlib>

#include "core/compose/queue_writer.h"
#include "core/delivery/delivery_run.h"
#include "support/scripted_server.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

constexpr char kMail[] =
    "From: admin@example.jp\r\nTo: fml@example.jp\r\nX-Command: Get Help\r\n"
    "\r\n# admin pass pw\r\n.\r\n# admin help\r\n";

class Quiet final : public DeliveryListener {
 public:
  void Delivered(QueuedMail&) override {}
  void Ended() override {}
};

// Delivery to a local server that speaks TLS with certificates of the tests' own authority.
class TlsDeliveryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    certificatesDir_ = new testing::TempDir;
    certificates_ = testing::MakeTestCertificates(certificatesDir_->path());
  }
  static void TearDownTestSuite() { delete certificatesDir_; }

  void SetUp() override {
    ASSERT_FALSE(certificates_.authority.empty()) << "the openssl command is needed";
    setenv("SSL_CERT_FILE", certificates_.authority.c_str(), 1);
    fs::create_directories(dir_ / "outbox");
  }
  void TearDown() override { unsetenv("SSL_CERT_FILE"); }

  // Starts the server, stores how to reach it, queues one mail and runs the delivery.
  DeliveryReport Deliver(testing::SmtpTestServer::Options server, std::uint32_t security,
                         const char* password = nullptr) {
    testing::SmtpTestServer running(dir_ / "outbox", server);
    EXPECT_TRUE(running.running());
    const SettingsKey common = store_.OpenRoot().CreateKey(kCommonKey);
    common.WriteText("SMTPServer", "localhost");
    common.WriteNumber("SMTPPort", running.port());
    common.WriteNumber("SMTPSecurity", security);
    if (password != nullptr) {
      common.WriteNumber("SMTPAuth", 1);
      common.WriteText("SMTPUser", "admin");
      common.WriteText("SMTPPassword", password);
    }
    const QueueOutcome queued = QueueMail(dir_.path().string(), "dev", kMail);
    mails_ = {{false, queued.path}};
    Quiet quiet;
    return RunDelivery(store_, MailerKind::DirectSmtp, mails_, ConnectToServer, quiet);
  }

  testing::SmtpTestServer::Options Server(const char* mode, const fs::path& certificate,
                                          const fs::path& key, const char* credentials = "") {
    testing::SmtpTestServer::Options options;
    options.mode = mode;
    options.certificate = certificate;
    options.key = key;
    options.credentials = credentials;
    return options;
  }

  bool Delivered() const {
    return !fs::exists(mails_[0].path) && fs::exists(dir_ / "outbox" / "1.eml");
  }

  static testing::TempDir* certificatesDir_;
  static testing::TestCertificates certificates_;
  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
  MailingList list_;
  std::vector<QueuedMail> mails_;
};

testing::TempDir* TlsDeliveryTest::certificatesDir_ = nullptr;
testing::TestCertificates TlsDeliveryTest::certificates_;

TEST_F(TlsDeliveryTest, StartTlsWithALoginDeliversByteForByte) {
  const DeliveryReport report = Deliver(
      Server("starttls", certificates_.localhost, certificates_.localhostKey, "admin:s3cret"), 1,
      "s3cret");
  EXPECT_EQ(report.lastError, "");
  EXPECT_TRUE(Delivered());
  EXPECT_EQ(ReadFile(dir_ / "outbox" / "1.eml"), kMail);
}

TEST_F(TlsDeliveryTest, TlsFromTheFirstByteDeliversByteForByte) {
  const DeliveryReport report =
      Deliver(Server("tls", certificates_.localhost, certificates_.localhostKey), 2);
  EXPECT_EQ(report.lastError, "");
  EXPECT_TRUE(Delivered());
  EXPECT_EQ(ReadFile(dir_ / "outbox" / "1.eml"), kMail);
}

TEST_F(TlsDeliveryTest, ACertificateNobodyVouchesForIsRefused) {
  const DeliveryReport report =
      Deliver(Server("tls", certificates_.stranger, certificates_.strangerKey), 2);
  EXPECT_EQ(report.runFailure, "サーバー証明書を確認できませんでした");
  EXPECT_TRUE(fs::exists(mails_[0].path));
}

TEST_F(TlsDeliveryTest, ACertificateForAnotherHostIsRefused) {
  const DeliveryReport report =
      Deliver(Server("starttls", certificates_.otherHost, certificates_.otherHostKey), 1);
  EXPECT_EQ(report.runFailure, "サーバー証明書を確認できませんでした");
  EXPECT_TRUE(fs::exists(mails_[0].path));
}

TEST_F(TlsDeliveryTest, AServerWithoutStartTlsIsNotUsedInPlainText) {
  const DeliveryReport report = Deliver(Server("", "", ""), 1);
  EXPECT_EQ(report.runFailure, "サーバーがSTARTTLSに対応していません");
  EXPECT_TRUE(fs::exists(mails_[0].path));
  EXPECT_FALSE(fs::exists(dir_ / "outbox" / "1.eml"));
}

TEST_F(TlsDeliveryTest, AWrongPasswordIsRefused) {
  const DeliveryReport report = Deliver(
      Server("starttls", certificates_.localhost, certificates_.localhostKey, "admin:s3cret"), 1,
      "guess");
  EXPECT_EQ(report.runFailure, "認証に失敗しました");
  EXPECT_TRUE(fs::exists(mails_[0].path));
}

TEST_F(TlsDeliveryTest, ALoginWithoutTlsIsAllowedOnlyToThisMachine) {
  const DeliveryReport report = Deliver(Server("", "", "", "admin:s3cret"), 0, "s3cret");
  EXPECT_EQ(report.lastError, "");
  EXPECT_TRUE(Delivered());
}

// The same dialogue with a scripted server, for what a real one won't do.
class ScriptedIntroduction : public ::testing::Test {
 protected:
  DeliveryReport Run(SmtpSettings settings, bool loopback) {
    testing::WriteFile(dir_ / "RXV1.tmp", kMail);
    std::vector<QueuedMail> mails{{false, dir_ / "RXV1.tmp"}};
    settings.server = "mx.example.jp";
    settings.heloName = "me";
    DeliveryReport report;
    SmtpDelivery(
        mails, settings,
        [&](const SmtpSettings&) {
          return Connection{ConnectStatus::Connected, server_.Borrow(), loopback};
        },
        [](QueuedMail&) {}, report);
    return report;
  }

  testing::TempDir dir_;
  MailingList list_;
  testing::ScriptedServer server_;
};

TEST_F(ScriptedIntroduction, AuthLoginWhenPlainIsNotOffered) {
  server_.Says("220 mx\r\n250-mx\r\n250 AUTH LOGIN\r\n334 VXNlcm5hbWU6\r\n334 UGFzc3dvcmQ6\r\n");
  server_.Says("235 ok\r\n250 ok\r\n250 ok\r\n354 go\r\n250 ok\r\n221 bye\r\n");
  SmtpSettings settings;
  settings.authenticate = true;
  settings.user = "admin";
  settings.password = "pw";
  EXPECT_EQ(Run(settings, true).lastError, "");
  EXPECT_TRUE(server_.written().starts_with(
      "EHLO me\r\nAUTH LOGIN\r\nYWRtaW4=\r\ncHc=\r\nMAIL FROM: <admin@example.jp>\r\n"));
}

TEST_F(ScriptedIntroduction, NoPasswordGoesInPlainTextToAnotherMachine) {
  server_.Says("220 mx\r\n250-mx\r\n250 AUTH PLAIN LOGIN\r\n");
  SmtpSettings settings;
  settings.authenticate = true;
  settings.user = "admin";
  settings.password = "pw";
  EXPECT_EQ(Run(settings, false).runFailure, "暗号化しない接続ではﾊﾟｽﾜｰﾄﾞを送りません");
  EXPECT_EQ(server_.written(), "EHLO me\r\n");
}

TEST_F(ScriptedIntroduction, BytesSmuggledAfterTheStartTlsAnswerStopTheRun) {
  server_.Says("220 mx\r\n250-mx\r\n250 STARTTLS\r\n").Says("220 go ahead\r\n250 injected\r\n");
  SmtpSettings settings;
  settings.security = SmtpSecurity::StartTls;
  EXPECT_EQ(Run(settings, true).runFailure, "TLSの開始に失敗しました");
  EXPECT_EQ(server_.written(), "EHLO me\r\nSTARTTLS\r\n");
}

}  // namespace
}  // namespace tarnwick
