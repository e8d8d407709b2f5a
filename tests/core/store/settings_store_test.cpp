#include "core/store/settings_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;

class SettingsStoreTest : public ::testing::Test {
 protected:
  SettingsKey Root() const { return store_.OpenRoot(); }

  TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

TEST_F(SettingsStoreTest, RootIsSoftwareOmbrelTarnwick) {
  ASSERT_TRUE(Root().HasHandle());
  EXPECT_EQ(Root().name(), "Tarnwick");
  const hive::Key tarnwick = hive::OpenHive(store_.file())
                                 .OpenSubkey("Software", false)
                                 .OpenSubkey("Ombrel", false)
                                 .OpenSubkey("Tarnwick", false);
  EXPECT_TRUE(tarnwick.IsOpen());
}

TEST_F(SettingsStoreTest, EmptyStoreGivesDefaults) {
  const SettingsKey common = Root().OpenKey("Common", false);
  EXPECT_FALSE(common.HasHandle()) << "opening without creating must not create";
  std::string text = "stale";
  EXPECT_FALSE(common.ReadText("MailBox", text, "."));
  EXPECT_EQ(text, ".");
  EXPECT_EQ(common.ReadNumber("SMTPPort", 25), 25u);
  EXPECT_EQ(common.CountKeys(), -1);
  EXPECT_EQ(Root().CountKeys(), 0);
}

TEST_F(SettingsStoreTest, TextReadsBackByteForByte) {
  const SettingsKey key = Root().CreateKey("Common");
  const std::string shiftJis = "\x83\x5C\x83\x74\x83\x67\x95\x5C";  // ソフト表
  const std::string longText(5000, 'x');
  ASSERT_TRUE(key.WriteText("SJIS", shiftJis));
  ASSERT_TRUE(key.WriteText("Long", longText));
  std::string out;
  EXPECT_TRUE(key.ReadText("sjis", out, ""));
  EXPECT_EQ(out, shiftJis);
  EXPECT_TRUE(key.ReadText("Long", out, ""));
  EXPECT_EQ(out, longText) << "longer than 1024 bytes, read whole";
}

TEST_F(SettingsStoreTest, TextEndsAtAZeroByteOrTheEndOfTheStoredBytes) {
  const SettingsKey key = Root().CreateKey("Common");
  // Written as a registry writer does, with its terminating zero, and without one.
  ASSERT_TRUE(key.WriteText("WithZero", std::string("abc\0junk", 8)));
  ASSERT_TRUE(key.WriteText("NoZero", "abc"));
  std::string out;
  key.ReadText("WithZero", out, "");
  EXPECT_EQ(out, "abc");
  key.ReadText("NoZero", out, "");
  EXPECT_EQ(out, "abc");
}

TEST_F(SettingsStoreTest, EmptyTextReadsAsTheDefaultButCountsAsRead) {
  const SettingsKey key = Root().CreateKey("Common");
  key.WriteText("MailBox", "");
  std::string out;
  EXPECT_TRUE(key.ReadText("MailBox", out, "."));
  EXPECT_EQ(out, ".");
}

TEST_F(SettingsStoreTest, NumbersAreThirtyTwoBitsAndTypesAreChecked) {
  const SettingsKey key = Root().CreateKey("Common");
  key.WriteNumber("Big", 0xFFFFFFFFu);
  key.WriteNumber("Port", 587);
  key.WriteText("Text", "587");
  EXPECT_EQ(key.ReadNumber("Big", 0), 0xFFFFFFFFu);
  EXPECT_EQ(key.ReadNumber("port", 25), 587u);
  EXPECT_EQ(key.ReadNumber("Text", 25), 25u) << "a text is not a number";
  std::string out;
  EXPECT_FALSE(key.ReadText("Port", out, "fallback"));
  EXPECT_EQ(out, "fallback");
}

TEST_F(SettingsStoreTest, DeleteTreeOfAbsentAndNestedKeys) {
  const SettingsKey root = Root();
  EXPECT_TRUE(root.DeleteTree("MLPropertys"));
  const SettingsKey all = root.CreateKey("MLPropertys");
  for (const char* name : {"ML0", "ML1", "ML2"}) {
    all.CreateKey(name).CreateKey("deeper").WriteText("v", "x");
  }
  EXPECT_EQ(all.CountKeys(), 3);
  EXPECT_TRUE(root.DeleteTree("mlpropertys"));
  EXPECT_FALSE(root.OpenKey("MLPropertys", false).HasHandle());
  EXPECT_EQ(root.CountKeys(), 0);
  // Recreated, it starts empty: no value or key of the old tree comes back.
  EXPECT_EQ(root.CreateKey("MLPropertys").CountKeys(), 0);
}

TEST_F(SettingsStoreTest, TheChangeStampMovesWithEveryWriteAndOnlyThen) {
  EXPECT_FALSE(store_.ChangeStamp()) << "no file yet";
  ASSERT_TRUE(Root().WriteText("v", "a"));
  const std::optional<std::string> first = store_.ChangeStamp();
  ASSERT_TRUE(first);
  std::string read;
  store_.ReadRoot().ReadText("v", read, "");
  EXPECT_EQ(store_.ChangeStamp(), first) << "reading writes nothing";

  // The same size, and the file's time set back as a coarse clock would leave it: the store's
  // own change counter still tells the write.
  struct stat before {};
  ASSERT_EQ(stat(store_.file().c_str(), &before), 0);
  ASSERT_TRUE(SettingsStore(store_.file()).OpenRoot().WriteText("v", "b"));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, store_.file().c_str(), times, 0), 0);
  const std::optional<std::string> second = store_.ChangeStamp();
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  EXPECT_EQ(store_.ChangeStamp(), second);
}

TEST_F(SettingsStoreTest, SubkeyNamesComeInAStableOrderUpToTheLimit) {
  const SettingsKey all = Root().CreateKey("MLPropertys");
  all.CreateKey("ml1");
  all.CreateKey("ML0");
  all.CreateKey("ML2");
  EXPECT_EQ(all.SubkeyNames(10), (std::vector<std::string>{"ML0", "ml1", "ML2"}));
  EXPECT_EQ(all.SubkeyNames(2), (std::vector<std::string>{"ML0", "ml1"}));
  EXPECT_TRUE(SettingsKey().SubkeyNames(10).empty());
}

TEST(SettingsStoreUnopenable, BehavesAsAFirstRunAndWritesNothing) {
  TempDir dir;
  // A plain file where the store's folder should be: nothing can be created below it.
  testing::WriteFile(dir / "blocked", "x");
  const SettingsStore store(dir / "blocked" / "registry.db");
  const SettingsKey root = store.OpenRoot();
  EXPECT_FALSE(root.HasHandle());
  EXPECT_EQ(root.CountKeys(), -1);
  EXPECT_FALSE(root.CreateKey("Common").WriteText("MailBox", "x"));
  std::string out;
  root.CreateKey("Common").ReadText("MailBox", out, ".");
  EXPECT_EQ(out, ".");
}

TEST(SettingsStoreUnopenable, CorruptFileIsNeitherReadNorOverwritten) {
  TempDir dir;
  const std::string garbage = "SQLite format 3\0" + std::string(4000, '\x7F');
  testing::WriteFile(dir / "registry.db", garbage);
  const SettingsStore store(dir / "registry.db");
  EXPECT_FALSE(store.OpenRoot().HasHandle());
  EXPECT_FALSE(store.OpenRoot().CreateKey("Common").WriteNumber("Mailer", 1));
  EXPECT_EQ(testing::ReadFile(dir / "registry.db"), garbage);
}

class StoreLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name, value->c_str(), 1);
      else
        unsetenv(name);
    }
  }

  static constexpr const char* kNames[] = {"TARNWICK_REGISTRY", "XDG_CONFIG_HOME", "HOME"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(StoreLocation, ExplicitFileThenXdgThenHome) {
  setenv("HOME", "/home/admin", 1);
  EXPECT_EQ(SettingsStore::FromEnvironment().file(), "/home/admin/.config/tarnwick/registry.db");
  setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(SettingsStore::FromEnvironment().file(), "/xdg/tarnwick/registry.db");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(SettingsStore::FromEnvironment().file(), "/home/admin/.config/tarnwick/registry.db")
      << "a relative XDG_CONFIG_HOME is invalid and ignored";
  setenv("TARNWICK_REGISTRY", "/tmp/x.db", 1);
  EXPECT_EQ(SettingsStore::FromEnvironment().file(), "/tmp/x.db");
}

}  // namespace
}  // namespace tarnwick
