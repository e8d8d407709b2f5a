#include "core/migrate/windows_import.h"

#include <gtest/gtest.h>

#include "core/migrate/reg_file.h"
#include "core/store/common_settings.h"
#include "core/store/mail_box.h"
#include "core/store/mailing_list_register.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Texts = std::vector<std::string>;

std::string Sample(const char* name) {
  return testing::ReadFile(std::filesystem::path(TARNWICK_TEST_DATA) / "migrate" / name);
}

class WindowsImportTest : public ::testing::TestWithParam<const char*> {
 protected:
  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

// Both export formats give the same settings: Shift_JIS decoded before the escapes are undone
// (表 and ソ end in the byte of a backslash), dwords, a hex(2) string continued over two lines.
TEST_P(WindowsImportTest, EitherExportFormatGivesTheSameListsAndSettings) {
  const ImportReport report = ImportRegFile(store_, Sample(GetParam()), false);
  ASSERT_EQ(report.failure, "");
  EXPECT_EQ(report.imported, (Texts{"表ソ開発ML", "お知らせ"}));
  EXPECT_EQ(report.needsValue, (Texts{"MailBox (C:\\Documents and Settings\\taro\\Mail)",
                                      "表ソ開発ML: GuideFile (C:\\ML\\guide.txt)"}));
  ASSERT_EQ(report.warnings.size(), 1u) << "fml takes no blank in a password";
  EXPECT_TRUE(report.warnings[0].starts_with("表ソ開発ML: ")) << report.warnings[0];

  const CommonSettings common = CommonSettings::Load(store_);
  EXPECT_EQ(common.Text(kSmtpServer), "smtp.example.jp");
  EXPECT_EQ(common.Number(kSmtpPort), 587u);
  EXPECT_EQ(common.Text(kRasName), "\x89\xEF\x8E\xD0");  // 会社
  EXPECT_EQ(common.Text(kMailBox), DefaultMailBox()) << "a Windows path is not taken";
  MailingListRegister lists = LoadRegister(store_);
  ASSERT_EQ(lists.size(), 2u);
  const MailingList& fml = *lists.FindByTitle(
      "\x95\x5C\x83\x5C\x8A\x4A\x94\xAD"
      "ML");
  EXPECT_EQ(fml.Type, ServerKind::Fml);
  EXPECT_EQ(fml.Password, "pass word") << "imported as given, with the warning";
  EXPECT_EQ(fml.GuideFile, "");
  const MailingList& news = *lists.FindByTitle("\x82\xA8\x92\x6D\x82\xE7\x82\xB9");
  EXPECT_EQ(news.ConfigFile, "/home/taro/news.cf");
  EXPECT_EQ(news.Address, "majordomo@example.org");
}

INSTANTIATE_TEST_SUITE_P(Formats, WindowsImportTest,
                         ::testing::Values("tarnwick4.reg", "tarnwick5.reg"));

TEST(WindowsImport, ListsOfATitleTheRegisterHasAreKeptUnlessReplaced) {
  testing::TempDir dir;
  const SettingsStore store(dir / "registry.db");
  MailingList mine;
  mine.Title = "\x82\xA8\x92\x6D\x82\xE7\x82\xB9";  // お知らせ
  mine.Address = "mine@example.jp";
  ASSERT_FALSE(AddToRegister(store, mine).has_value());
  ImportReport report = ImportRegFile(store, Sample("tarnwick4.reg"), false);
  EXPECT_EQ(report.kept, Texts{"お知らせ"});
  EXPECT_EQ(LoadRegister(store).FindByTitle(mine.Title)->Address, "mine@example.jp");
  report = ImportRegFile(store, Sample("tarnwick4.reg"), true);
  EXPECT_TRUE(report.kept.empty());
  MailingListRegister lists = LoadRegister(store);
  EXPECT_EQ(lists.size(), 2u);
  EXPECT_EQ(lists.FindByTitle(mine.Title)->Address, "majordomo@example.org");
}

// Nothing is written from a file not understood whole, and the line that was not is named.
// A list whose administrator address no server would answer is left out and named with its
// entry; the rest of the file still comes in.
TEST(WindowsImport, AListWithAnAdministratorAddressNoServerTakesIsLeftOutAndNamed) {
  testing::TempDir dir;
  const SettingsStore store(dir / "registry.db");
  std::string file = Sample("tarnwick4.reg");
  file.replace(file.find("admin@example.jp"), 16, "admin@");
  const ImportReport report = ImportRegFile(store, file, false);
  ASSERT_EQ(report.failure, "");
  EXPECT_EQ(report.imported, (Texts{"お知らせ"}));
  ASSERT_EQ(report.refused.size(), 1u);
  EXPECT_TRUE(report.refused[0].starts_with(
      "表ソ開発ML (HKEY_CURRENT_USER\\Software\\Ombrel\\Tarnwick\\MLPropertys\\ML0): "
      "管理者ｱﾄﾞﾚｽ「admin@」は使えません"))
      << report.refused[0];
  EXPECT_EQ(report.needsValue, (Texts{"MailBox (C:\\Documents and Settings\\taro\\Mail)"}))
      << "nothing is asked of a list left out";
  EXPECT_NE(ImportSummary(report).find("値が使えないため取り込まなかったML:\n・表ソ開発ML"),
            std::string::npos);
  EXPECT_EQ(LoadRegister(store).size(), 1u);
}

TEST(WindowsImport, AFileNotUnderstoodWholeWritesNothing) {
  testing::TempDir dir;
  const SettingsStore store(dir / "registry.db");
  std::string broken = Sample("tarnwick4.reg");
  broken.insert(broken.find("\"Name\"=\"dev\""), "\"Bad\"=dword:12\r\n");
  const std::pair<std::string, std::string> cases[] = {
      {broken, "行目: 値の行を読めません"},
      {"REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software]\r\n", "2行目: ｷｰの行を読めません"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software]\r\n\"a\"=\"x\"\r\n",
       "設定のｷｰ(Common、MLPropertys)が見つかりません"},
      {"", "1行目: レジストリの書き出しﾌｧｲﾙではありません"},
      {std::string("\xFF\xFE\x00\xD8", 4), "1行目: UTF-16LEとして読めません"},
      {std::string("REGEDIT4\r\n\x82", 11), "1行目: Shift_JISとして読めません"},
      {std::string(kMaxRegFileBytes + 1, 'x'), "1行目: ﾌｧｲﾙが大きすぎます"},
  };
  for (const auto& [file, failure] : cases) {
    const ImportReport report = ImportRegFile(store, file, false);
    EXPECT_TRUE(report.failure.ends_with(failure)) << report.failure;
    EXPECT_TRUE(report.imported.empty());
  }
  EXPECT_EQ(LoadRegister(store).size(), 0u);
  EXPECT_FALSE(store.ReadRoot().OpenKey(kCommonKey, false).HasHandle());
}

}  // namespace
}  // namespace tarnwick
