// Passwords kept in a real secret service (GNOME Keyring in a D-Bus session of the test's own):
// the settings file keeps only their ids.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/compose/value_rules.h"
#include "core/platform/secret_store.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

class KeyringTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(secrets::Available()) << "no secret service answers"; }

  bool FileHolds(const std::string& text) const {
    return testing::ReadFile(dir_ / "registry.db").find(text) != std::string::npos;
  }

  MailingList List(const std::string& title, const std::string& password) const {
    MailingList list;
    list.Title = title;
    list.Type = ServerKind::Fml;
    list.Name = "dev";
    list.Address = "fml@example.jp";
    list.Admin = "admin@example.jp";
    list.Password = password;
    return list;
  }

  std::string Cli(std::vector<std::string> args) const {
    std::istringstream in;
    std::ostringstream out, err;
    cli::Run(args, store_, in, out, err);
    return out.str();
  }

  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

TEST_F(KeyringTest, AListsPasswordGoesToTheKeyringAndTheFileKeepsItsIdOnly) {
  ASSERT_FALSE(AddToRegister(store_, List("dev", "s3cret-one")).has_value());
  EXPECT_FALSE(FileHolds("s3cret-one"));
  MailingListRegister lists = LoadRegister(store_);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists.at(0).Password, "") << "asked for only when needed";
  EXPECT_FALSE(lists.at(0).PasswordId.empty());
  ASSERT_TRUE(SaveRegister(store_, lists));
  lists = LoadRegister(store_);
  LoadPassword(lists.at(0));
  EXPECT_EQ(lists.at(0).Password, "s3cret-one") << "a save without asking keeps it";
  ASSERT_TRUE(SaveRegister(store_, lists));
  EXPECT_TRUE(SameLists(LoadRegister(store_), lists)) << "read or not, one password";

  // Every output of the program leaves it out, but the mail itself carries it.
  EXPECT_EQ(Cli({"lists"}).find("s3cret-one"), std::string::npos);
  EXPECT_NE(Cli({"compose", "dev", "members", "--stdout"}).find("# admin pass s3cret-one\r\n"),
            std::string::npos);
}

// A password written while no service ran is moved by the next write, never by a read.
TEST_F(KeyringTest, PasswordsInTheFileMoveOnTheFirstWriteOnly) {
  const SettingsKey list = store_.OpenRoot().CreateKey("MLPropertys").CreateKey("ML0");
  list.WriteText("", "dev");
  list.WriteText("Password", "s3cret-two");
  store_.OpenRoot().CreateKey(kCommonKey).WriteText("SMTPPassword", "smtp-pw");
  EXPECT_EQ(LoadRegister(store_).at(0).Password, "s3cret-two") << "still in the file";
  EXPECT_EQ(CommonSettings::Load(store_).Text(kSmtpPassword), "smtp-pw");
  EXPECT_NE(Cli({"settings"}).find("SMTPPassword\t********"), std::string::npos);
  EXPECT_TRUE(FileHolds("s3cret-two") && FileHolds("smtp-pw")) << "reading moves nothing";

  EXPECT_TRUE(CommonSettings::Load(store_).HoldsPasswordsInTheFile());
  ASSERT_TRUE(SaveRegister(store_, LoadRegister(store_)));
  ASSERT_TRUE(CommonSettings::Load(store_).Save(store_));
  EXPECT_FALSE(CommonSettings::Load(store_).HoldsPasswordsInTheFile());
  EXPECT_FALSE(FileHolds("s3cret-two") || FileHolds("smtp-pw"));
  MailingListRegister lists = LoadRegister(store_);
  LoadPassword(lists.at(0));
  EXPECT_EQ(lists.at(0).Password, "s3cret-two");
  EXPECT_EQ(CommonSettings::Load(store_).Text(kSmtpPassword), "smtp-pw");
}

// A password the keyring can't give back (another keyring, a deleted item) is neither taken
// for an empty one nor lost by a save.
TEST_F(KeyringTest, APasswordTheKeyringCantGiveBackStopsTheMailsAndKeepsItsId) {
  const SettingsKey key = store_.OpenRoot().CreateKey("MLPropertys").CreateKey("ML0");
  key.WriteText("", "dev");
  key.WriteNumber("Type", static_cast<std::uint32_t>(ServerKind::Fml));
  key.WriteText("PasswordId", "0123456789abcdef");
  MailingListRegister lists = LoadRegister(store_);
  EXPECT_TRUE(CheckListPassword(lists.at(0)).has_value()) << "never composed without asking";
  LoadPassword(lists.at(0));
  EXPECT_TRUE(lists.at(0).PasswordUnavailable);
  const Refusal refusal = CheckListPassword(lists.at(0));
  ASSERT_TRUE(refusal.has_value());
  EXPECT_NE(refusal->find("ｷｰﾘﾝｸﾞ"), std::string::npos);
  ASSERT_TRUE(SaveRegister(store_, lists));
  EXPECT_EQ(LoadRegister(store_).at(0).PasswordId, "0123456789abcdef");
}

}  // namespace
}  // namespace tarnwick
