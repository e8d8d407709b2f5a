#include "core/store/mail_box.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "core/store/common_settings.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// The environment the default is made from, restored after each test.
class DefaultMailBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    setenv("HOME", (dir_ / "home").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
  }
  static unsigned Mode(const fs::path& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
  }

  static constexpr const char* kNames[] = {"XDG_DATA_HOME", "HOME"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
  testing::TempDir dir_;
};

TEST_F(DefaultMailBoxTest, TheDefaultIsUnderTheXdgDataFolderNeverTheStartingFolder) {
  EXPECT_EQ(DefaultMailBox(), (dir_ / "home/.local/share/tarnwick/mail").string());
  setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
  EXPECT_EQ(DefaultMailBox(), (dir_ / "data/tarnwick/mail").string());
  setenv("XDG_DATA_HOME", "relative", 1);
  EXPECT_EQ(DefaultMailBox(), (dir_ / "home/.local/share/tarnwick/mail").string())
      << "a relative XDG_DATA_HOME is invalid and ignored";
  EXPECT_EQ(MailBoxOrDefault(""), DefaultMailBox());
  EXPECT_EQ(MailBoxOrDefault("/chosen"), "/chosen");
}

TEST_F(DefaultMailBoxTest, SettingsWithoutAMailBoxReadTheDefaultAndAFirstStartIsKnown) {
  SettingsStore store(dir_ / "registry.db");
  EXPECT_EQ(ReadMailBox(store), DefaultMailBox());
  EXPECT_EQ(CommonSettings::Load(store).Text(kMailBox), DefaultMailBox());
  EXPECT_TRUE(IsFirstStart(store, 0));
  EXPECT_FALSE(IsFirstStart(store, 1)) << "a registered list is no first start";
  store.OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", "");
  EXPECT_TRUE(IsFirstStart(store, 0)) << "an empty folder is no folder";
  store.OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", "/chosen");
  EXPECT_EQ(ReadMailBox(store), "/chosen");
  EXPECT_FALSE(IsFirstStart(store, 0));
}

TEST_F(DefaultMailBoxTest, TheDefaultIsMadePrivateWhenMissingAChosenFolderIsLeftAlone) {
  const fs::path box = DefaultMailBox();
  ASSERT_FALSE(fs::exists(box));
  EXPECT_TRUE(PrepareMailBox(box.string()));
  EXPECT_EQ(Mode(box), 0700u);
  EXPECT_EQ(Mode(box.parent_path()), 0700u);
  EXPECT_TRUE(PrepareMailBox(box.string())) << "once made, it is taken as it is";

  const fs::path chosen = dir_ / "chosen";
  EXPECT_FALSE(PrepareMailBox(chosen.string()));
  EXPECT_FALSE(fs::exists(chosen)) << "a folder named in the settings is the user's to make";

  fs::remove_all(box);
  fs::create_directories(dir_ / "elsewhere");
  fs::create_symlink(dir_ / "elsewhere", box);
  PrepareMailBox(box.string());
  EXPECT_EQ(Mode(dir_ / "elsewhere"), Mode(dir_ / "home")) << "a planted link is not followed";
}

TEST(CommonSettingRules, TheAdministratorAddressIsEmptyOrOnePlainAddress) {
  EXPECT_FALSE(CheckAdminAddress(""));
  EXPECT_FALSE(CheckAdminAddress("admin@example.jp"));
  for (const char* bad : {"admin", "a b@example.jp", "<admin@example.jp>", "a@b@c.jp",
                          "admin@localhost", "\x83\x65@example.jp"}) {
    const Refusal refusal = CheckAdminAddress(bad);
    ASSERT_TRUE(refusal) << bad;
    EXPECT_NE(refusal->find("管理者ｱﾄﾞﾚｽ (AdminAddress)"), std::string::npos) << *refusal;
  }
  testing::TempDir dir;
  CommonSettings settings = CommonSettings::Load(SettingsStore(dir / "registry.db"));
  EXPECT_FALSE(settings.Validate());
  settings.Set(kAdminAddress, "nobody");
  EXPECT_EQ(settings.Validate(), CheckAdminAddress("nobody"))
      << "what tarnwick-cli settings stores is checked the same";
}

TEST(CommonSettingRules, ADirectDeliveryWithoutAServerNamesTheFieldAndWhereItIs) {
  CommonSettings settings;
  const Refusal missing = CheckSmtpSettings(settings);
  ASSERT_TRUE(missing);
  EXPECT_EQ(*missing,
            "SMTPｻｰﾊﾞ名が設定されていません。設定 → 共通設定の「SMTPｻｰﾊﾞ名」に送信に使うSMTPｻｰﾊﾞｰ"
            "を入力してください");
  settings.Set(kSmtpServer, "smtp.example.jp");
  EXPECT_FALSE(CheckSmtpSettings(settings));
}

}  // namespace
}  // namespace tarnwick
