#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "store/common_settings.h"
#include "store/mailing_list_register.h"
#include "support/temp_dir.h"

namespace tarnwick::cli {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  Outcome Cli(std::vector<std::string> args) const {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(args, store_, out, err);
    return {status, out.str(), err.str()};
  }

  Outcome AddList(const std::string& title, const std::string& type = "fml") const {
    return Cli({"list-add", "--title", title, "--type", type, "--name", "dev", "--address",
                "fml@example.jp", "--admin", "admin@example.jp"});
  }

  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

TEST_F(CliTest, AddedListsAreListedInRegisterOrder) {
  ASSERT_EQ(AddList("開発ML").status, 0);
  ASSERT_EQ(AddList("announce", "Majordomo").status, 0);
  const Outcome lists = Cli({"lists"});
  EXPECT_EQ(lists.status, 0);
  EXPECT_EQ(lists.out,
            "announce\tMajordomo\tdev\tfml@example.jp\tadmin@example.jp\t0\n"
            "開発ML\tFML\tdev\tfml@example.jp\tadmin@example.jp\t0\n");
}

TEST_F(CliTest, ListAddStoresCp932AndEveryField) {
  ASSERT_EQ(Cli({"list-add", "--title", "ソフト", "--type", "fml", "--name", "n", "--address",
                 "a@x", "--admin", "m@x", "--password", "秘密"})
                .status,
            0);
  const MailingListRegister lists = LoadRegister(store_, ".");
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists.at(0).Title, "\x83\x5C\x83\x74\x83\x67");
  EXPECT_EQ(lists.at(0).Password, "\x94\xE9\x96\xA7");
  EXPECT_EQ(lists.at(0).Type, kFml);
  EXPECT_EQ(lists.at(0).Admin, "m@x");
}

TEST_F(CliTest, ListsShowTheQueuedCount) {
  ASSERT_EQ(Cli({"settings", "MailBox", dir_.path().string()}).status, 0);
  testing::WriteFile(dir_ / "dev" / "RXV1.tmp", "x");
  ASSERT_EQ(AddList("t").status, 0);
  EXPECT_EQ(Cli({"lists"}).out, "t\tFML\tdev\tfml@example.jp\tadmin@example.jp\t1\n");
}

TEST_F(CliTest, BadArgumentsAreRefusedAndNothingIsStored) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"list-add", "--title", "t"},
      {"list-add", "--title", "t", "--type", "sendmail", "--name", "n", "--address", "a", "--admin",
       "m"},
      {"list-add", "--title", "😀", "--type", "fml", "--name", "n", "--address", "a", "--admin",
       "m"},
      {"list-add", "--title", "t", "--title", "u", "--type", "fml", "--name", "n", "--address", "a",
       "--admin", "m"},
      {"list-add", "--colour", "red"},
      {"list-add", "--title"},
      {"lists", "extra"},
      {"settings", "SMTPPort"},
      {"settings", "SMTPPort", "-1"},
      {"settings", "SMTPPort", "25x"},
      {"settings", "SMTPPort", "4294967296"},
      {"settings", "NoSuchSetting", "1"},
      {"settings", "MailBox", "\xFF"},
  };
  for (const auto& args : bad) {
    const Outcome outcome = Cli(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(outcome.err.find("tarnwick-cli: "), std::string::npos);
  }
  EXPECT_TRUE(LoadRegister(store_, ".").empty());
  EXPECT_EQ(Cli({"settings"}).out.find("MailBox\t.\n"), 0u);
}

TEST_F(CliTest, RefusedCharactersAreNamed) {
  const Outcome outcome = Cli({"settings", "RasName", "接続😀"});
  EXPECT_NE(outcome.err.find("\"😀\""), std::string::npos) << outcome.err;
}

TEST_F(CliTest, SettingsPrintsAllSevenWithDefaultsAndWritesTyped) {
  EXPECT_EQ(Cli({"settings"}).out,
            "MailBox\t.\nMailer\t0\nMailerPath\t\nDialUp\t0\nRasName\t\nSMTPServer\t\n"
            "SMTPPort\t25\n");
  EXPECT_EQ(Cli({"settings", "smtpport", "587"}).status, 0);
  EXPECT_EQ(Cli({"settings", "SMTPServer", "smtp.例え.jp"}).status, 0);
  const SettingsKey common = store_.OpenRoot().OpenKey(kCommonKey, false);
  EXPECT_EQ(ReadSetting(common, kSmtpPort), 587u);
  EXPECT_EQ(ReadSetting(common, kSmtpServer), "smtp.\x97\xE1\x82\xA6.jp");
  EXPECT_NE(Cli({"settings"}).out.find("SMTPServer\tsmtp.例え.jp\nSMTPPort\t587\n"),
            std::string::npos);
}

TEST(CliStore, UnopenableStoreFailsEveryCommand) {
  testing::TempDir dir;
  testing::WriteFile(dir / "registry.db", "garbage");
  const SettingsStore store(dir / "registry.db");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(cli::Run({"lists"}, store, out, err), 1);
  EXPECT_NE(err.str().find("cannot open the settings store"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(dir / "registry.db"), "garbage");
}

}  // namespace
}  // namespace tarnwick::cli
