#include "core/store/mailing_list_register.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "core/platform/cp932_case.h"
#include "core/platform/sqlite_db.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;

MailingList FullList(int n) {
  const std::string s = std::to_string(n);
  MailingList list;
  list.Title = "list " + std::string(n < 10 ? "0" : "") + s;
  list.Type = static_cast<ServerKind>(n % 2);
  list.Address = "server" + s + "@example.jp";
  list.Name = "name" + s;
  list.Admin = "admin" + s + "@example.jp";
  list.Password = "pw\x83\x5C" + s;
  list.GuideFile = "/g/" + s;
  list.InfoFile = "/i/" + s;
  list.IntroFile = "/n/" + s;
  list.ConfigFile = "/c/" + s;
  return list;
}

std::unique_ptr<MailingList> Titled(std::string title, std::string name = "") {
  auto list = std::make_unique<MailingList>();
  list->Title = std::move(title);
  list->Name = std::move(name);
  return list;
}

void ExpectSameList(const MailingList& a, const MailingList& b) {
  EXPECT_EQ(a.Title, b.Title);
  EXPECT_EQ(a.Type, b.Type);
  EXPECT_EQ(a.Address, b.Address);
  EXPECT_EQ(a.Name, b.Name);
  EXPECT_EQ(a.Admin, b.Admin);
  EXPECT_EQ(a.Password, b.Password);
  EXPECT_EQ(a.GuideFile, b.GuideFile);
  EXPECT_EQ(a.InfoFile, b.InfoFile);
  EXPECT_EQ(a.IntroFile, b.IntroFile);
  EXPECT_EQ(a.ConfigFile, b.ConfigFile);
  EXPECT_EQ(a.MailCount, b.MailCount);
}

std::vector<std::string> Titles(const MailingListRegister& lists) {
  std::vector<std::string> titles;
  for (std::size_t i = 0; i < lists.size(); ++i)
    titles.push_back(lists.at(i).Title);
  return titles;
}

class RegisterTest : public ::testing::Test {
 protected:
  SettingsKey Stored() const { return store_.OpenRoot().OpenKey("MLPropertys", false); }

  TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

TEST_F(RegisterTest, NoStoredRegisterIsEmpty) {
  EXPECT_TRUE(LoadRegister(store_).empty());
  EXPECT_FALSE(Stored().HasHandle()) << "loading must not create the key";
}

TEST_F(RegisterTest, TwelveListsSaveAsML0ToML11InTitleOrderAndLoadBackWhole) {
  std::vector<int> order(12);
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  MailingListRegister lists;
  for (const int n : order)
    lists.Insert(std::make_unique<MailingList>(FullList(n)));
  ASSERT_TRUE(SaveRegister(store_, lists));

  const SettingsKey stored = Stored();
  ASSERT_EQ(stored.CountKeys(), 12);
  for (int i = 0; i < 12; ++i) {
    std::string title;
    stored.OpenKey("ML" + std::to_string(i), false).ReadText(kDefaultValue, title, "");
    EXPECT_EQ(title, FullList(i).Title) << "ML" << i;
  }
  // The store enumerates ML0, ML1, ML10, ML11, ML2...; the register is in title order all the same.
  const MailingListRegister loaded = LoadRegister(store_);
  ASSERT_EQ(loaded.size(), 12u);
  for (int i = 0; i < 12; ++i)
    ExpectSameList(loaded.at(i), FullList(i));
}

TEST_F(RegisterTest, MissingValuesTakeTheirDefaults) {
  store_.OpenRoot().CreateKey("MLPropertys").CreateKey("ML0").WriteText(kDefaultValue, "bare");
  const MailingListRegister loaded = LoadRegister(store_);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded.at(0).Type, ServerKind::None);
  EXPECT_EQ(loaded.at(0).Name, "");
  EXPECT_EQ(ServerKindName(loaded.at(0).Type), "");
}

TEST_F(RegisterTest, NoKindChosenSurvivesASave) {
  MailingListRegister lists;
  lists.Insert(Titled("t"));
  lists.at(0).Type = static_cast<ServerKind>(-1);
  ASSERT_TRUE(SaveRegister(store_, lists));
  EXPECT_EQ(LoadRegister(store_).at(0).Type, static_cast<ServerKind>(-1));
}

TEST_F(RegisterTest, TheStoredCountOfQueuedMailsIsNeverTakenForTheQueue) {
  MailingListRegister lists;
  lists.Insert(Titled("a"));
  lists.at(0).MailCount = 5;
  ASSERT_TRUE(SaveRegister(store_, lists));
  EXPECT_EQ(LoadRegister(store_).at(0).MailCount, 0);
}

TEST_F(RegisterTest, AFailedSaveKeepsThePreviousRegister) {
  MailingListRegister before;
  for (int n : {1, 2, 3})
    before.Insert(std::make_unique<MailingList>(FullList(n)));
  ASSERT_TRUE(SaveRegister(store_, before));

  // Half-way through the next save one list can't be written: its password is too large for
  // the store. By then the old register has been deleted and three new lists written.
  MailingListRegister after;
  for (int n : {4, 5, 6, 7, 8})
    after.Insert(std::make_unique<MailingList>(FullList(n)));
  after.at(3).Password.assign(hive::kMaxValueBytes + 1, 'p');
  EXPECT_FALSE(SaveRegister(store_, after));

  const MailingListRegister loaded = LoadRegister(store_);
  ASSERT_EQ(loaded.size(), 3u);
  for (int i = 0; i < 3; ++i)
    ExpectSameList(loaded.at(i), FullList(i + 1));
}

TEST_F(RegisterTest, UnreadableStoreLoadsEmptyAndRefusesToSave) {
  testing::WriteFile(store_.file(), "not a store");
  EXPECT_TRUE(LoadRegister(store_).empty());
  MailingListRegister lists;
  lists.Insert(std::make_unique<MailingList>(FullList(1)));
  EXPECT_FALSE(SaveRegister(store_, lists));
  EXPECT_EQ(testing::ReadFile(store_.file()), "not a store");
}

// A damaged store: lists that can't be read are never dropped by the next save.
TEST_F(RegisterTest, ListsThatCantBeReadAreNeverDroppedBySaving) {
  MailingListRegister stored;
  for (int n : {1, 2, 3, 4})
    stored.Insert(std::make_unique<MailingList>(FullList(n)));
  ASSERT_TRUE(SaveRegister(store_, stored));
  {
    std::unique_ptr<sqlite::Database> db = sqlite::Database::OpenExisting(store_.file());
    ASSERT_TRUE(db);
    // ML1's title becomes a number; ML2 becomes its own parent (a loop, out of the tree);
    // an empty-named key joins the lists.
    ASSERT_TRUE(db->Execute(
        "UPDATE hive_values SET type = 4, data = x'01000000' WHERE name = x'' AND key = "
        "(SELECT id FROM hive_keys WHERE name = CAST('ML1' AS BLOB));"
        "UPDATE hive_keys SET parent = id WHERE name = CAST('ML2' AS BLOB);"
        "INSERT INTO hive_keys(parent, name, folded) SELECT id, x'', x'' FROM hive_keys "
        "WHERE name = CAST('MLPropertys' AS BLOB);"));
  }
  MailingListRegister loaded = LoadRegister(store_);
  EXPECT_GT(loaded.unreadable(), 0u);
  loaded.Insert(std::make_unique<MailingList>(FullList(5)));
  EXPECT_FALSE(SaveRegister(store_, loaded));
  const std::unique_ptr<sqlite::Database> db = sqlite::Database::OpenExisting(store_.file());
  sqlite::Statement title(*db,
                          "SELECT type FROM hive_values WHERE name = x'' AND key = "
                          "(SELECT id FROM hive_keys WHERE name = CAST('ML1' AS BLOB))");
  ASSERT_TRUE(title.Row());
  EXPECT_EQ(title.Int(0), 4) << "the unreadable value is still there, as it was";
}

// Adding writes one key of its own: the others stay as they are, readable or not.
TEST_F(RegisterTest, AddingStoresOneKeyAndLeavesTheOthersAsTheyAre) {
  MailingListRegister stored;
  stored.Insert(std::make_unique<MailingList>(FullList(1)));
  ASSERT_TRUE(SaveRegister(store_, stored));
  // Left by another writer: ML2 and ML3 besides ML0, so the number after the count is taken;
  // ML3's title is no text.
  store_.OpenRoot().CreateKey("MLPropertys").CreateKey("ML2").WriteText("", "list 09");
  store_.OpenRoot().CreateKey("MLPropertys").CreateKey("ML3").WriteNumber("", 7);

  EXPECT_EQ(AddToRegister(store_, FullList(2)), std::nullopt);
  const MailingListRegister loaded = LoadRegister(store_);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(loaded.at(1).Title, "list 02");
  EXPECT_EQ(loaded.at(1).Password, FullList(2).Password);
  EXPECT_EQ(loaded.at(2).Title, "list 09");
  EXPECT_EQ(loaded.unreadable(), 1u) << "the damaged key is kept, not rewritten";
  EXPECT_TRUE(Stored().OpenKey("ML4", false).HasHandle());
}

TEST_F(RegisterTest, AFullRegisterTakesNoMoreLists) {
  {
    const SettingsKey root = store_.OpenRoot();
    SettingsTransaction transaction(root);
    const SettingsKey all = root.CreateKey("MLPropertys");
    for (std::size_t i = 0; i < kMaxRegisteredLists; ++i)
      all.CreateKey("ML" + std::to_string(i));
    ASSERT_TRUE(transaction.Commit());
  }
  const std::optional<std::string> refusal = AddToRegister(store_, FullList(1));
  ASSERT_TRUE(refusal.has_value());
  EXPECT_NE(refusal->find("50000"), std::string::npos) << *refusal;
  EXPECT_EQ(Stored().CountKeys(), static_cast<int>(kMaxRegisteredLists));
}

TEST(RegisterOrder, TitlesSortIgnoringAsciiCaseAndEditsAreNotResorted) {
  EXPECT_TRUE(SortsBeforeIgnoringCase("abc", "ABD"));
  EXPECT_TRUE(SortsBeforeIgnoringCase("ABC", "abc")) << "a case-only difference still orders";
  EXPECT_FALSE(SortsBeforeIgnoringCase("abc", "abc"));
  MailingListRegister lists;
  for (const char* title : {"m", "c", "x", "\x83\x41", "C"}) {
    lists.Insert(Titled(title));
  }
  EXPECT_EQ(Titles(lists), (std::vector<std::string>{"C", "c", "m", "x", "\x83\x41"}));
  lists.at(0).Title = "z";  // renamed in place: stays where it is
  // A new title goes before the first title that sorts after it, even one out of order.
  EXPECT_EQ(lists.Insert(Titled("d")), 0u);
  lists.Remove(1);
  EXPECT_EQ(Titles(lists), (std::vector<std::string>{"d", "c", "m", "x", "\x83\x41"}));
  lists.Remove(99);  // out of range: nothing happens
  EXPECT_EQ(lists.size(), 5u);
}

// Loading many lists at once orders them exactly as inserting them one by one would, equal
// titles (letter case ignored) in the order they came.
TEST(RegisterOrder, InsertingAllAtOnceOrdersAsOneByOne) {
  const char* titles[] = {"m", "c", "M", "x", "\x83\x41", "C", "b", "c", "a"};
  MailingListRegister oneByOne;
  MailingListRegister atOnce;
  std::vector<std::unique_ptr<MailingList>> all;
  for (const char* title : titles) {
    oneByOne.Insert(Titled(title));
    all.push_back(Titled(title));
    all.back()->Name = std::to_string(all.size());
  }
  atOnce.InsertAll(std::move(all));
  EXPECT_EQ(Titles(atOnce), Titles(oneByOne));
  std::vector<std::string> namesOfC;
  for (std::size_t i = 0; i < atOnce.size(); ++i) {
    if (atOnce.at(i).Title == "c") namesOfC.push_back(atOnce.at(i).Name);
  }
  EXPECT_EQ(namesOfC, (std::vector<std::string>{"2", "8"})) << "equal titles keep their order";
  atOnce.InsertAll({});
  EXPECT_EQ(atOnce.size(), 9u);
}

}  // namespace
}  // namespace tarnwick
