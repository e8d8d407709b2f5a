#include "core/platform/hive.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "core/platform/sqlite_db.h"
#include "core/store/settings_store.h"
#include "support/temp_dir.h"

namespace tarnwick::hive {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class HiveTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return dir_ / "config" / "registry.db"; }
  Key Top() const { return OpenHive(file()); }
  Key Software() const { return Top().OpenSubkey("Software", false); }
  // Makes the values of that name `mebibytes` long behind the hive's back, as something else
  // writing to the file could.
  void Plant(const std::string& name, int mebibytes) const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    const std::string update = "UPDATE hive_values SET data = zeroblob(" +
                               std::to_string(mebibytes) + " * 1024 * 1024) WHERE name = CAST('" +
                               name + "' AS BLOB)";
    ASSERT_EQ(sqlite3_exec(db, update.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }

  TempDir dir_;
};

TEST_F(HiveTest, NewFileIsPrivateAndStartsWithSoftware) {
  ASSERT_TRUE(Software().IsOpen());
  struct stat info {};
  ASSERT_EQ(stat(file().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the store holds passwords";
  EXPECT_EQ(*Top().CountSubkeys(), 1u);
}

TEST_F(HiveTest, KeyAndValueNamesIgnoreCaseButKeepIt) {
  const Key created = Software().OpenSubkey("Ombrel", true);
  ASSERT_TRUE(created.SetValue("MailBox", kText, "a"));
  const Key reopened = Software().OpenSubkey("OMBREL", false);
  ASSERT_TRUE(reopened.IsOpen());
  EXPECT_EQ(reopened.QueryValue("mailbox")->data, "a");
  EXPECT_TRUE(reopened.SetValue("MAILBOX", kText, "b"));
  EXPECT_EQ(created.QueryValue("MailBox")->data, "b") << "one value, not two";
  EXPECT_EQ(Software().SubkeyNames(10), std::vector<std::string>{"Ombrel"});
  EXPECT_TRUE(Software().OpenSubkey("ombrel", true).SubkeyNames(10).empty());
  EXPECT_EQ(*Software().CountSubkeys(), 1u);
}

TEST_F(HiveTest, DoubleByteNamesAreNotFolded) {
  // "ア" (0x83 0x41) and "ヂ" (0x83 0x61) differ only in a trail byte that looks like a letter.
  ASSERT_TRUE(Software().OpenSubkey("\x83\x41", true).IsOpen());
  ASSERT_TRUE(Software().OpenSubkey("\x83\x61", true).IsOpen());
  EXPECT_EQ(*Software().CountSubkeys(), 2u);
}

TEST_F(HiveTest, ValuesKeepEveryByte) {
  const Key key = Software().OpenSubkey("k", true);
  const std::string bytes("\x00\x83\x5C\xFF\r\n", 6);
  ASSERT_TRUE(key.SetValue("", kText, bytes));
  ASSERT_TRUE(key.SetValue("empty", kText, ""));
  EXPECT_EQ(key.QueryValue("")->data, bytes);
  EXPECT_EQ(key.QueryValue("")->type, kText);
  EXPECT_EQ(key.QueryValue("empty")->data, "");
  EXPECT_FALSE(key.QueryValue("absent").has_value());
}

TEST_F(HiveTest, OversizedValuesAndNamesAreRefused) {
  const Key key = Software().OpenSubkey("k", true);
  EXPECT_FALSE(key.SetValue("big", kText, std::string(kMaxValueBytes + 1, 'x')));
  EXPECT_TRUE(key.SetValue("max", kText, std::string(kMaxValueBytes, 'x')));
  EXPECT_FALSE(key.OpenSubkey(std::string(kMaxNameBytes + 1, 'n'), true).IsOpen());
  EXPECT_FALSE(key.OpenSubkey("", true).IsOpen());

  // A value planted by something else beyond the limit reads as absent, not as 100 MiB.
  ASSERT_NO_FATAL_FAILURE(Plant("max", 100));
  EXPECT_FALSE(key.QueryValue("max").has_value());
}

TEST_F(HiveTest, SubkeysReadWithTheirValuesAsEachValueReadsAlone) {
  const Key top = Software().OpenSubkey("lists", true);
  const Key b = top.OpenSubkey("ML1", true);
  b.SetValue("", kText, std::string("\x83\x5C\0tail", 7));
  b.SetValue("Type", kNumber, std::string(4, '\x01'));
  b.SetValue("NAME", kText, "dev");
  b.SetValue("big", kText, "grows past the limit below");
  top.OpenSubkey("ml0", true);  // no values: still one key
  top.OpenSubkey("ML2", true).SetValue("Odd", 7, "\xFF");
  ASSERT_NO_FATAL_FAILURE(Plant("big", 2));

  const std::vector<SubkeyValues> keys = top.SubkeysWithValues(10);
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].name, "ml0");
  EXPECT_TRUE(keys[0].values.empty());
  EXPECT_EQ(keys[1].name, "ML1");
  const Key alone = top.OpenSubkey("ML1", false);
  for (const char* name : {"", "type", "Name", "big", "absent"}) {
    const std::optional<Value> bulk = keys[1].Find(name);
    const std::optional<Value> single = alone.QueryValue(name);
    ASSERT_EQ(bulk.has_value(), single.has_value()) << name;
    if (!bulk) continue;
    EXPECT_EQ(bulk->data, single->data) << name;
    EXPECT_EQ(bulk->type, single->type) << name;
  }
  EXPECT_FALSE(keys[1].Find("big")) << "an oversized value is left out, not loaded";
  EXPECT_EQ(keys[2].Find("odd")->type, 7u);
  EXPECT_EQ(top.SubkeysWithValues(2).size(), 2u) << "the limit counts keys, not values";
  EXPECT_TRUE(Key().SubkeysWithValues(10).empty());
}

TEST_F(HiveTest, DeleteSubtreeRemovesEverythingBelowInOneStep) {
  const Key a = Software().OpenSubkey("a", true);
  a.OpenSubkey("b", true).OpenSubkey("c", true).SetValue("v", kText, "x");
  a.OpenSubkey("b2", true);
  const Key c = a.OpenSubkey("b", false).OpenSubkey("c", false);
  EXPECT_TRUE(a.DeleteSubtree("missing")) << "an absent key counts as deleted";
  ASSERT_TRUE(Software().DeleteSubtree("A"));
  EXPECT_FALSE(Software().OpenSubkey("a", false).IsOpen());
  EXPECT_EQ(*Software().CountSubkeys(), 0u);
  // A key held open across the deletion is gone: nothing can be written under it any more.
  EXPECT_FALSE(c.SetValue("v", kText, "y"));
  EXPECT_FALSE(c.OpenSubkey("d", true).IsOpen());
}

TEST_F(HiveTest, TransactionsAreAllOrNothingAndNest) {
  const Key key = Software().OpenSubkey("k", true);
  {
    Transaction tx(key);
    ASSERT_TRUE(tx.active());
    key.SetValue("dropped", kText, "x");
  }
  EXPECT_FALSE(key.QueryValue("dropped").has_value());
  {
    Transaction outer(key);
    key.SetValue("kept", kText, "x");
    {
      Transaction inner(key);
      key.SetValue("inner", kText, "x");
    }
    EXPECT_TRUE(outer.Commit());
  }
  EXPECT_TRUE(key.QueryValue("kept").has_value());
  EXPECT_FALSE(key.QueryValue("inner").has_value());
}

// One writer's share: read the counter and write it back one higher, in a transaction each time,
// on a connection of its own as another thread or program has.
bool Increment(const std::filesystem::path& file, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    const Key key = OpenHive(file).OpenSubkey("Software", false).OpenSubkey("k", false);
    Transaction tx(key);
    const std::optional<Value> n = key.QueryValue("n");
    if (!tx.active() || !n) return false;
    if (!key.SetValue("n", kText, std::to_string(std::stoi(n->data) + 1))) return false;
    if (!tx.Commit()) return false;
  }
  return true;
}

TEST_F(HiveTest, WritersInTwoThreadsAndAnotherProcessNeverLoseAnUpdate) {
  constexpr int kRounds = 100;
  Software().OpenSubkey("k", true).SetValue("n", kText, "0");
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) _exit(Increment(file(), kRounds) ? 0 : 1);
  bool threadOk = false;
  std::thread thread([&] { threadOk = Increment(file(), kRounds); });
  const bool mainOk = Increment(file(), kRounds);
  thread.join();
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(threadOk);
  EXPECT_TRUE(mainOk);
  EXPECT_EQ(Software().OpenSubkey("k", false).QueryValue("n")->data, std::to_string(3 * kRounds));
}

class HostileFile : public HiveTest {
 protected:
  // The file must be refused and left exactly as it was.
  void ExpectRefusedAndUntouched() {
    const std::string before = ReadFile(file());
    EXPECT_FALSE(Top().IsOpen());
    EXPECT_FALSE(SettingsStore(file()).OpenRoot().HasHandle());
    EXPECT_EQ(ReadFile(file()), before);
  }
};

TEST_F(HostileFile, TextIsRefused) {
  WriteFile(file(), "MailBox=/home/me\n");
  ExpectRefusedAndUntouched();
}

TEST_F(HostileFile, BinaryIsRefused) {
  std::string binary(64 * 1024, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>(i * 131);
  WriteFile(file(), binary);
  ExpectRefusedAndUntouched();
}

TEST_F(HostileFile, AnotherProgramsDatabaseIsRefused) {
  sqlite3* db = nullptr;
  std::filesystem::create_directories(file().parent_path());
  ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('mine');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  ExpectRefusedAndUntouched();
}

TEST_F(HostileFile, TruncatedHiveIsRefused) {
  ASSERT_TRUE(Software().OpenSubkey("k", true).SetValue("v", kText, std::string(9000, 'x')));
  const std::string whole = ReadFile(file());
  WriteFile(file(), whole.substr(0, 100));
  ExpectRefusedAndUntouched();
}

TEST_F(HostileFile, EmptyFileBecomesAHive) {
  WriteFile(file(), "");
  EXPECT_TRUE(Software().IsOpen());
}

TEST_F(HostileFile, AnEmptyFileBehindALinkIsNeverMadeAHive) {
  const std::filesystem::path other = file().parent_path() / "someone-elses";
  WriteFile(other, "");
  std::filesystem::create_symlink(other, file());
  ExpectRefusedAndUntouched();
  EXPECT_EQ(std::filesystem::file_size(other), 0u);
}

TEST_F(HostileFile, AHiveBehindALinkIsUsed) {
  ASSERT_TRUE(Software().OpenSubkey("k", true).SetValue("v", kText, "kept"));
  const std::filesystem::path real = file().parent_path() / "real.db";
  std::filesystem::rename(file(), real);
  std::filesystem::create_symlink(real, file());
  EXPECT_TRUE(Software().OpenSubkey("k", false).QueryValue("v").has_value());
}

TEST_F(HostileFile, FolderInPlaceOfTheFileIsRefused) {
  std::filesystem::create_directories(file());
  EXPECT_FALSE(Top().IsOpen());
}

TEST(HiveClosedKey, EveryOperationFails) {
  const Key closed;
  EXPECT_FALSE(closed.OpenSubkey("a", true).IsOpen());
  EXPECT_FALSE(closed.SetValue("a", kText, "x"));
  EXPECT_FALSE(closed.QueryValue("a").has_value());
  EXPECT_FALSE(closed.CountSubkeys().has_value());
  EXPECT_FALSE(closed.DeleteSubtree("a"));
  EXPECT_FALSE(Transaction(closed).active());
}

// Statements are kept between uses: the same SQL text in use twice at once, a statement left
// mid-result, and one that failed must each leave the next use unaffected.
TEST(SqliteStatements, TheSameTextCanBeInUseTwiceAndAKeptOneStartsAfresh) {
  TempDir dir;
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open((dir / "t.db").c_str(), &raw), SQLITE_OK);
  sqlite3_close(raw);
  const std::unique_ptr<sqlite::Database> db = sqlite::Database::OpenExisting(dir / "t.db");
  ASSERT_TRUE(db && db->Execute("CREATE TABLE t(v); INSERT INTO t VALUES (1), (2), (3);"));
  constexpr char kSelect[] = "SELECT v FROM t WHERE v >= ?1 ORDER BY v";
  {
    sqlite::Statement outer(*db, kSelect);
    ASSERT_TRUE(outer.Bind(1, 2).Row());
    sqlite::Statement inner(*db, kSelect);  // while the first is mid-result
    ASSERT_TRUE(inner.Bind(1, 1).Row());
    EXPECT_EQ(inner.Int(0), 1);
    EXPECT_EQ(outer.Int(0), 2);
  }  // the first goes back unfinished, with its binding
  sqlite::Statement again(*db, kSelect);
  ASSERT_TRUE(again.Bind(1, 3).Row());
  EXPECT_EQ(again.Int(0), 3);
  EXPECT_FALSE(again.Row());
  {
    sqlite::Statement broken(*db, "SELECT nothing FROM nowhere");
    EXPECT_TRUE(broken.failed());
  }
  sqlite::Statement count(*db, "SELECT count(*) FROM t");
  ASSERT_TRUE(count.Row());
  EXPECT_EQ(count.Int(0), 3);
}

}  // namespace
}  // namespace tarnwick::hive
