#include "core/store/common_settings.h"

#include <gtest/gtest.h>

#include "core/store/mail_box.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

class CommonSettingsTest : public ::testing::Test {
 protected:
  SettingsKey Root() const { return store_.OpenRoot(); }
  SettingsKey Common() const { return Root().OpenKey(kCommonKey, false); }

  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

TEST_F(CommonSettingsTest, EmptyStoreReadsTheFixedDefaults) {
  EXPECT_EQ(ReadSetting(Common(), kMailBox), DefaultMailBox());
  EXPECT_EQ(ReadSetting(Common(), kMailer), 0u);
  EXPECT_EQ(ReadSetting(Common(), kMailerPath), "");
  EXPECT_EQ(ReadSetting(Common(), kDialUp), 0u);
  EXPECT_EQ(ReadSetting(Common(), kRasName), "");
  EXPECT_EQ(ReadSetting(Common(), kSmtpServer), "");
  EXPECT_EQ(ReadSetting(Common(), kSmtpPort), 25u);
}

// Loaded, checked and saved as one value: the rules the dialog and tarnwick-cli share.
TEST_F(CommonSettingsTest, TheSettingsValueLoadsChecksAndSavesWhole) {
  CommonSettings settings = CommonSettings::Load(store_);
  EXPECT_FALSE(settings.stored());
  EXPECT_EQ(settings.Number(kSmtpPort), 25u);
  EXPECT_EQ(settings.Validate(), std::nullopt);
  EXPECT_FALSE(Common().HasHandle()) << "loading never writes the store";

  settings.Set(kSmtpPort, 70000);
  EXPECT_EQ(*settings.Validate(),
            "ポート番号 (SMTPPort) には1から65535までの整数を入力してください");
  settings.Set(kSmtpPort, 587);
  settings.Set(kMailer, 1);
  settings.Set(kMailerPath, "/opt/al/alsend");
  settings.Set(kSmtpServer, "mx.example.jp");
  ASSERT_TRUE(settings.Save(store_));
  const CommonSettings again = CommonSettings::Load(store_);
  EXPECT_TRUE(again.stored());
  EXPECT_EQ(again.Number(kSmtpPort), 587u);
  EXPECT_EQ(again.Text(kSmtpServer), "mx.example.jp");
  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::Alsend), "/opt/al/alsend");
  for (const NumberSetting* number : {&kMailer, &kDialUp, &kSmtpSecurity, &kSmtpAuth}) {
    CommonSettings wrong = again;
    wrong.Set(*number, number->max + 1);
    EXPECT_TRUE(wrong.Validate()) << number->name;
  }
}

TEST_F(CommonSettingsTest, StoredEmptyTextsFallBack) {
  const SettingsKey common = Root().CreateKey(kCommonKey);
  common.WriteText("MailBox", "");
  common.WriteText("SMTPServer", "");
  EXPECT_EQ(ReadSetting(Common(), kMailBox), DefaultMailBox());
  EXPECT_EQ(ReadSetting(Common(), kSmtpServer), "");
}

TEST_F(CommonSettingsTest, SettingsAreFoundByNameInAnyCase) {
  ASSERT_NE(FindCommonSetting("smtpport"), nullptr);
  EXPECT_EQ(std::get<NumberSetting>(*FindCommonSetting("smtpport")).name, "SMTPPort");
  EXPECT_EQ(FindCommonSetting("SMTP"), nullptr);
}

TEST_F(CommonSettingsTest, OnlyKindsOneToThreeAreOutsideMailers) {
  EXPECT_EQ(ToMailerKind(3), MailerKind::Scrivel);
  EXPECT_EQ(ToMailerKind(4), MailerKind::DirectSmtp);
  EXPECT_EQ(ToMailerKind(0xFFFFFFFFu), MailerKind::DirectSmtp);
}

TEST_F(CommonSettingsTest, ChoosingAKindSuggestsItsRememberedPath) {
  // Someone else's tool registered scrivel.exe; the program itself never writes that key.
  Root().CreateKey("Path").CreateKey("scrivel.exe").WriteText(kDefaultValue, "/opt/scrivel/run");
  Root().CreateKey("Path").CreateKey("almail.exe");  // a key without a default value

  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::Scrivel), "/opt/scrivel/run");
  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::Almail), "");
  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::Alsend), "");
  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::DirectSmtp), "");
  EXPECT_FALSE(Root().OpenKey("Path", false).OpenKey("alsend.exe", false).HasHandle())
      << "suggesting only opens the per-program key";
}

TEST_F(CommonSettingsTest, RememberingWritesOnlyForAlsendAndAlmail) {
  EXPECT_TRUE(RememberMailerPath(Root(), MailerKind::Alsend, "/usr/local/bin/alsend"));
  EXPECT_TRUE(RememberMailerPath(Root(), MailerKind::Scrivel, "/x"));
  EXPECT_TRUE(RememberMailerPath(Root(), MailerKind::DirectSmtp, "/y"));
  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::Alsend), "/usr/local/bin/alsend");
  EXPECT_EQ(Root().OpenKey("Path", false).CountKeys(), 1);
}

}  // namespace
}  // namespace tarnwick
