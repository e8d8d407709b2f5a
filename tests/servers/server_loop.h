// The whole loop of real parts the server tests drive: the list-server kit, the administrator's
// IMAP mailbox (a Dovecot of the test's own) and, where mails are sent, an SMTP server (aiosmtpd),
// with a store whose common settings point at them and a mail box folder "<dir>/box".
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/store/common_settings.h"
#include "core/store/settings_store.h"
#include "support/dovecot_server.h"
#include "support/list_server_kit.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"

namespace tarnwick::testing {

class ServerLoopTest : public ::testing::Test {
 protected:
  enum class Smtp { None, Started };

  // Skips the test without the kit; fails it without Dovecot (or aiosmtpd). The caller's SetUp
  // goes on only while `Started()`.
  void StartServers(Smtp smtp) {
    std::string reason;
    kit_ = ListServerKit::FromEnvironment(TARNWICK_LISTSERVER, TARNWICK_LISTSERVER_DIR, reason);
    if (!kit_) GTEST_SKIP() << reason;
    imap_ = std::make_unique<DovecotServer>(dir_ / "imap");
    ASSERT_TRUE(imap_->running()) << "Debian's dovecot-imapd is needed for this test";
    std::filesystem::create_directories(dir_ / "box");
    const SettingsKey common = store_.OpenRoot().CreateKey(kCommonKey);
    common.WriteText("MailBox", Box());
    common.WriteText("IncomingServer", "127.0.0.1");
    common.WriteNumber("IncomingPort", imap_->port());
    common.WriteNumber("IncomingSecurity", 0);
    common.WriteText("IncomingUser", "admin");
    common.WriteText("IncomingPassword", "secret");
    if (smtp == Smtp::None) return;
    std::filesystem::create_directories(dir_ / "outbox");
    smtp_ = std::make_unique<SmtpTestServer>(dir_ / "outbox");
    ASSERT_TRUE(smtp_->running()) << "python3-aiosmtpd is needed for this test";
    common.WriteText("SMTPServer", "127.0.0.1");
    common.WriteNumber("SMTPPort", smtp_->port());
  }

  bool Started() const { return !IsSkipped() && !HasFatalFailure(); }
  std::string Box() const { return (dir_ / "box").string(); }

  std::optional<ListServerKit> kit_;
  TempDir dir_;
  std::unique_ptr<DovecotServer> imap_;
  std::unique_ptr<SmtpTestServer> smtp_;
  SettingsStore store_{dir_ / "registry.db"};
};

}  // namespace tarnwick::testing
