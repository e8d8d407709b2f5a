#include "core/delivery/hand_off.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/delivery/delivery_run.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;
using Tokens = std::vector<std::string>;

TEST(MailerArguments, EachKindHasItsForm) {
  EXPECT_EQ(MailerArguments(MailerKind::Alsend, "/m", "/p"), (Tokens{"/m", "/F=/p"}));
  EXPECT_EQ(MailerArguments(MailerKind::Almail, "/m", "/p"), (Tokens{"/m", "/file:/p"}));
  EXPECT_EQ(MailerArguments(MailerKind::Scrivel, "/m", "/p"), (Tokens{"/m", "/p"}));
}

// A stand-in mailer: logs its arguments, reads the mail file it was given.
constexpr char kReadingMailer[] = R"(#!/bin/sh
here=$(dirname "$0")
for a; do printf '[%s]' "$a" >> "$here/log"; done
echo >> "$here/log"
for a; do
  case $a in /F=*) f=${a#/F=} ;; /file:*) f=${a#/file:} ;; *) f=$a ;; esac
done
cat "$f" >> "$here/received"
)";

constexpr char kCarelessMailer[] = "#!/bin/sh\nexit 0\n";

// The window's side of a run: each handed-off mail, then the end.
class Told final : public DeliveryListener {
 public:
  void Delivered(QueuedMail& mail) override { told.push_back(mail.path.filename().string()); }
  void Ended() override { told.push_back("end"); }
  Tokens told;
};

class HandOffTest : public ::testing::Test {
 protected:
  // A whole run with the mailer of that kind stored in the settings.
  DeliveryReport RunStored(MailerKind kind, const char* script, Told& told) {
    const SettingsStore store(dir_ / "registry.db");
    const SettingsKey common = store.OpenRoot().CreateKey(kCommonKey);
    common.WriteNumber("Mailer", static_cast<std::uint32_t>(kind));
    common.WriteText("MailerPath", Mailer(script));
    return RunDelivery(store, kind, mails_, ConnectToServer, told);
  }

  std::string Mailer(const char* script) {
    const fs::path program = dir_ / "my mailer" / "mailer";
    WriteFile(program, script);
    chmod(program.c_str(), 0755);
    return program.string();
  }

  void Queue(int count) {
    for (int i = 1; i <= count; ++i) {
      const fs::path file = dir_ / box_ / ("RXV" + std::to_string(i) + ".tmp");
      WriteFile(file, "mail " + std::to_string(i) + "\r\n");
      mails_.push_back({false, file});
    }
  }

  void Run(MailerKind kind, const std::string& mailer) {
    failures_.assign(mails_.size(), "");
    HandOff(mails_, kind, mailer,
            [this](QueuedMail& mail) { handedOff_.push_back(mail.path.filename().string()); },
            failures_, {std::chrono::seconds(5), std::chrono::milliseconds(10)});
  }

  std::string Log() { return ReadFile(dir_ / "my mailer" / "log"); }

  testing::TempDir dir_;
  std::string box_ = "mail box";
  MailingList list_;
  std::vector<QueuedMail> mails_;
  std::vector<std::string> failures_;
  std::vector<std::string> handedOff_;
};

// A quote in the mail box's or the list's name must not split the path into more arguments.
TEST_F(HandOffTest, EachKindGivesItsMailerOneWholeArgument) {
  box_ = "x\" /q injected \"y";
  Queue(1);
  const std::string mailer = Mailer(kReadingMailer);
  const std::string file = mails_[0].path.string();
  for (MailerKind kind : {MailerKind::Alsend, MailerKind::Almail, MailerKind::Scrivel}) {
    mails_[0].delivered = false;
    Run(kind, mailer);
  }
  EXPECT_EQ(Log(), "[/F=" + file + "]\n[/file:" + file + "]\n[" + file + "]\n");
}

TEST_F(HandOffTest, MailsAreHandedOverInQueueOrderAndReadBeforeTheyCount) {
  Queue(3);
  Run(MailerKind::Alsend, Mailer(kReadingMailer));
  EXPECT_EQ(handedOff_, (Tokens{"RXV1.tmp", "RXV2.tmp", "RXV3.tmp"}));
  EXPECT_EQ(ReadFile(dir_ / "my mailer" / "received"), "mail 1\r\nmail 2\r\nmail 3\r\n");
  for (const QueuedMail& mail : mails_)
    EXPECT_TRUE(mail.delivered && !mail.keep);
  EXPECT_EQ(failures_, Tokens(3, ""));
}

TEST_F(HandOffTest, AMissingMailerLeavesEveryMailQueued) {
  Queue(2);
  for (const std::string& mailer : {std::string(), (dir_ / "no such mailer").string()}) {
    Run(MailerKind::Almail, mailer);
    EXPECT_TRUE(handedOff_.empty());
    EXPECT_FALSE(mails_[0].delivered || mails_[1].delivered);
    EXPECT_EQ(failures_[1], "ﾒｰﾗｰ(" + mailer + ")を起動できませんでした");
  }
}

TEST_F(HandOffTest, AMailNobodyReadStaysQueuedAndSaysSo) {
  Queue(1);
  Run(MailerKind::Scrivel, Mailer(kCarelessMailer));
  EXPECT_EQ(handedOff_, Tokens{"RXV1.tmp"});  // it started: handed off
  EXPECT_TRUE(mails_[0].keep);
  EXPECT_NE(failures_[0].find("ﾌｧｲﾙを残しました"), std::string::npos);
}

TEST_F(HandOffTest, ARunWithTheStoredMailerTellsEachMailThenTheEndAndKeepsThemAsSent) {
  Queue(3);
  Told told;
  DeliveryReport report = RunStored(MailerKind::Almail, kReadingMailer, told);
  EXPECT_EQ(told.told, (Tokens{"RXV1.tmp", "RXV2.tmp", "RXV3.tmp", "end"}));
  for (const QueuedMail& mail : mails_) {
    EXPECT_FALSE(fs::exists(mail.path));
    EXPECT_EQ(ReadFile(dir_ / ".sent" / box_ / mail.path.filename()),
              "mail " + mail.path.filename().string().substr(3, 1) + "\r\n");
  }
  EXPECT_EQ(FormatReport(report, mails_), "");
}

TEST_F(HandOffTest, AMailNobodyReadStaysQueuedAfterTheRun) {
  Queue(1);
  Told told;
  DeliveryReport report = RunStored(MailerKind::Scrivel, kCarelessMailer, told);
  EXPECT_TRUE(fs::exists(mails_[0].path));
  EXPECT_FALSE(fs::exists(dir_ / ".sent" / box_ / "RXV1.tmp"));
  EXPECT_NE(report.mailFailures[0].find("ﾌｧｲﾙを残しました"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
