#include "core/compose/queue_folder.h"

#include <gtest/gtest.h>

#include "core/store/mailing_list_register.h"
#include "support/one_folder.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(QueueFolder, OnlyPlainNamesMakeAQueueFolder) {
  for (const std::string& bad :
       std::vector<std::string>{"", ".", "..", "a/b", "/etc", std::string("a\0b", 3)}) {
    EXPECT_FALSE(IsPlainFolderName(bad)) << bad;
    EXPECT_FALSE(ListQueueFolder("/box", bad).has_value()) << bad;
  }
  for (const std::string good : {"list", "..a", "a.", "\x83\x5C", "my list"}) {
    EXPECT_TRUE(IsPlainFolderName(good)) << good;
  }
  EXPECT_EQ(*ListQueueFolder("/box", "dev"), "/box/dev");
  EXPECT_EQ(*ListQueueFolder("/box/", "dev"), "/box/dev");
  EXPECT_EQ(*ListQueueFolder(".", "dev"), "./dev");
}

TEST(QueueFolder, QueueFileNamesMatchRxvStarTmp) {
  for (const char* name : {"RXV1A2B.tmp", "RXV.tmp", "rxv1.TMP", "RXVabc.def.tmp"}) {
    EXPECT_TRUE(IsQueueFileName(name)) << name;
  }
  for (const char* name : {"RXV1.tmpx", "XRXV1.tmp", "RXV1tmp", "RXV1.tm", ".tmp", "RX.tmp"}) {
    EXPECT_FALSE(IsQueueFileName(name)) << name;
  }
}

TEST(QueueFolder, CountsOnlyQueuedMailFiles) {
  TempDir dir;
  const std::string box = dir.path().string();
  EXPECT_EQ(CountQueuedMails(box, testing::OneFolder("dev")), 0)
      << "a missing folder holds no mail";
  WriteFile(dir / "dev" / "RXV1.tmp", "a");
  WriteFile(dir / "dev" / "RXV2.tmp", "");
  WriteFile(dir / "dev" / "rxv3.TMP", "c");
  WriteFile(dir / "dev" / "readme.txt", "x");
  std::filesystem::create_directories(dir / "dev" / "RXV9.tmp");  // a folder is no mail
  EXPECT_EQ(CountQueuedMails(box, testing::OneFolder("dev")), 3);
}

TEST(QueueFolder, EveryListOfARegisterIsCountedFromDiskNotFromItsRecord) {
  TempDir dir;
  MailingListRegister lists;
  for (const char* title : {"a", "b"}) {
    auto list = std::make_unique<MailingList>();
    list->Title = title;
    list->Name = title;
    list->MailCount = 5;
    lists.Insert(std::move(list));
  }
  WriteFile(dir / "a" / "RXV1A.tmp", "x");
  WriteFile(dir / "a" / "RXV2B.tmp", "x");
  CountQueuedMails(dir.path().string(), lists);
  EXPECT_EQ(lists.at(0).MailCount, 2) << "the record's count of 5 is replaced";
  EXPECT_EQ(lists.at(1).MailCount, 0) << "a list without a folder has none";
}

TEST(QueueFolder, NeverCountsOutsideTheMailBox) {
  TempDir dir;
  WriteFile(dir / "RXV1.tmp", "in the parent of the mail box");
  const std::string box = (dir / "box").string();
  std::filesystem::create_directories(box);
  EXPECT_EQ(CountQueuedMails(box, testing::OneFolder("..")), 0);
  EXPECT_EQ(CountQueuedMails(box, testing::OneFolder("")), 0);
}

TEST(QueueFolder, JapaneseFolderNamesAreConvertedForTheFileSystem) {
  TempDir dir;
  WriteFile(dir / "ﾒｰﾙ" / "開発" / "RXV1.tmp", "x");
  const std::string box = dir.path().string() + "/\xD2\xB0\xD9";  // ﾒｰﾙ in CP932
  EXPECT_EQ(CountQueuedMails(box, testing::OneFolder("\x8A\x4A\x94\xAD")), 1);  // 開発 in CP932
  EXPECT_EQ(CountQueuedMails(box, testing::OneFolder("\x8A")), 0)
      << "not CP932: no folder is guessed";
}

}  // namespace
}  // namespace tarnwick
