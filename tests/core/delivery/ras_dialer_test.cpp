#include "core/delivery/ras_dialer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/delivery/delivery_run.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// Puts the fake nmcli first on PATH (or, with `installed` false, no nmcli at all).
class DialerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    fs::create_directories(dir_ / "bin");
    fs::copy_file(TARNWICK_FAKE_NMCLI, dir_ / "bin" / "nmcli");
    setenv("PATH", ((dir_ / "bin").string() + ":" + savedPath_).c_str(), 1);
    setenv("FAKE_NMCLI_DIR", dir_.path().c_str(), 1);
    WriteFile(dir_ / "profiles", "office-dialup\nmobile\n");
    WriteFile(dir_ / "active", "lo:loopback\n");
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("FAKE_NMCLI_DIR");
  }
  void Uninstall() { setenv("PATH", (dir_ / "none").c_str(), 1); }
  std::string Log() { return ReadFile(dir_ / "log"); }

  testing::TempDir dir_;
  std::string savedPath_;
};

TEST_F(DialerTest, DialsWhenNothingIsUpAndHangsUpUntilReleased) {
  CRasDialer dialer;
  EXPECT_TRUE(DialBeforeDelivery(dialer, "office-dialup"));
  EXPECT_TRUE(dialer.HasConnection());
  EXPECT_EQ(ReadFile(dir_ / "active"), "lo:loopback\noffice-dialup:ppp\n");
  HangUpAndWait(dialer);
  EXPECT_FALSE(dialer.HasConnection());
  EXPECT_EQ(ReadFile(dir_ / "active"), "lo:loopback\n");
  EXPECT_NE(Log().find("connection down id office-dialup"), std::string::npos);
}

TEST_F(DialerTest, AConnectionAlreadyUpIsUsedAndLeftUp) {
  WriteFile(dir_ / "active", "lo:loopback\nWired connection 1:802-3-ethernet\n");
  CRasDialer dialer;
  EXPECT_TRUE(DialBeforeDelivery(dialer, "office-dialup"));
  EXPECT_FALSE(dialer.HasConnection());
  HangUpAndWait(dialer);
  EXPECT_EQ(Log().find("connection up"), std::string::npos);
  EXPECT_EQ(Log().find("connection down"), std::string::npos);
}

TEST_F(DialerTest, AFailedDialIsReported) {
  CRasDialer dialer;
  EXPECT_FALSE(DialBeforeDelivery(dialer, "no such entry"));
  WriteFile(dir_ / "fail_up", "");
  EXPECT_FALSE(DialBeforeDelivery(dialer, "office-dialup"));
  EXPECT_FALSE(dialer.HasConnection());
  EXPECT_EQ(dialer.Dial("office-dialup"), 4);
}

TEST_F(DialerTest, WithoutNmcliDeliveryGoesOnWithoutDialling) {
  Uninstall();
  CRasDialer dialer;
  int active = -1;
  EXPECT_EQ(dialer.EnumConnections(active), kDialerNotInstalled);
  EXPECT_EQ(dialer.Dial("office-dialup"), kDialerNotInstalled);
  EXPECT_TRUE(DialBeforeDelivery(dialer, "office-dialup"));
  EXPECT_TRUE(CRasDialer::EnumEntries().empty());
}

TEST_F(DialerTest, EntriesAreListedUpToAHundred) {
  EXPECT_EQ(CRasDialer::EnumEntries(), (std::vector<std::string>{"office-dialup", "mobile"}));
  std::string many;
  for (int i = 0; i < 101; ++i)
    many += "entry" + std::to_string(i) + "\n";
  WriteFile(dir_ / "profiles", many);
  EXPECT_TRUE(CRasDialer::EnumEntries().empty());
}

// The profiles are offered in name order, letter case aside; the stored name picks the first
// that starts with it, whatever the case of either.
TEST(DialEntriesTest, AreSortedAndTheStoredNamePicksByItsStart) {
  const std::vector<std::string> sorted =
      SortedDialEntries({"mobile", "Office-2", "office-dialup", "MOBILE", "会社", "Mobile"});
  EXPECT_EQ(sorted, (std::vector<std::string>{"MOBILE", "Mobile", "mobile", "Office-2",
                                              "office-dialup", "会社"}));
  EXPECT_EQ(FindDialEntry(sorted, "OFFICE"), 3u);
  EXPECT_EQ(FindDialEntry(sorted, "office-d"), 4u);
  EXPECT_EQ(FindDialEntry(sorted, "\x89\xEF\x8E\xD0"), 5u);  // 会社, as the store keeps it
  EXPECT_EQ(FindDialEntry(sorted, ""), std::nullopt);
  EXPECT_EQ(FindDialEntry(sorted, "office-dialup-2"), std::nullopt);
  EXPECT_EQ(FindDialEntry({}, "mobile"), std::nullopt);
}

// A run with dialling: a failed dial sends nothing; a dialled line is down before the end.
class DialledRun final : public DeliveryListener {
 public:
  explicit DialledRun(fs::path active) : active_(std::move(active)) {}
  void Delivered(QueuedMail&) override { ++delivered; }
  void Ended() override { activeAtEnd = ReadFile(active_); }
  int delivered = 0;
  std::string activeAtEnd;

 private:
  fs::path active_;
};

TEST_F(DialerTest, ARunDialsDeliversAndHangsUpBeforeItsEnd) {
  const SettingsStore store(dir_ / "registry.db");
  const SettingsKey common = store.OpenRoot().CreateKey(kCommonKey);
  common.WriteNumber("DialUp", 1);
  common.WriteText("RasName", "office-dialup");
  common.WriteText("SMTPServer", "mx.example.jp");
  WriteFile(dir_ / "RXV1.tmp", "From: a@x\r\nTo: b@x\r\n\r\nbody\r\n");
  MailingList list;
  std::vector<QueuedMail> mails{{false, dir_ / "RXV1.tmp"}};
  testing::ScriptedServer server;
  server.Says("220 mx\r\n250 hi\r\n250 ok\r\n250 ok\r\n354 go\r\n250 queued\r\n221 bye\r\n");
  std::string activeWhileConnecting;
  const Connector connect = [&](const SmtpSettings&) {
    activeWhileConnecting = ReadFile(dir_ / "active");
    return Connection{ConnectStatus::Connected, server.Borrow()};
  };

  DialledRun run(dir_ / "active");
  DeliveryReport report = RunDelivery(store, MailerKind::DirectSmtp, mails, connect, run);
  EXPECT_EQ(activeWhileConnecting, "lo:loopback\noffice-dialup:ppp\n");
  EXPECT_EQ(run.delivered, 1);
  EXPECT_EQ(run.activeAtEnd, "lo:loopback\n");

  WriteFile(dir_ / "fail_up", "");
  mails[0].delivered = false;
  bool connected = false;
  DialledRun failing(dir_ / "active");
  report = RunDelivery(
      store, MailerKind::DirectSmtp, mails,
      [&](const SmtpSettings&) {
        connected = true;
        return Connection{};
      },
      failing);
  EXPECT_FALSE(connected);
  EXPECT_EQ(report.runFailure, "ダイアルアップ接続(office-dialup)に失敗しました");
  EXPECT_EQ(failing.delivered, 0);
}

}  // namespace
}  // namespace tarnwick
