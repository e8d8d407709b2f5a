#include "store/common_settings.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(ReadSetting(Common(), kMailBox), ".");
  EXPECT_EQ(ReadSetting(Common(), kMailer), 0u);
  EXPECT_EQ(ReadSetting(Common(), kMailerPath), "");
  EXPECT_EQ(ReadSetting(Common(), kDialUp), 0u);
  EXPECT_EQ(ReadSetting(Common(), kRasName), "");
  EXPECT_EQ(ReadSetting(Common(), kSmtpServer), "");
  EXPECT_EQ(ReadSetting(Common(), kSmtpPort), 25u);
}

TEST_F(CommonSettingsTest, StoredEmptyTextsFallBack) {
  const SettingsKey common = Root().CreateKey(kCommonKey);
  common.WriteText("MailBox", "");
  common.WriteText("SMTPServer", "");
  EXPECT_EQ(ReadSetting(Common(), kMailBox), ".");
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
  EXPECT_EQ(SuggestedMailerPath(Root(), MailerKind::Alsend), "alsend.exe");
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
