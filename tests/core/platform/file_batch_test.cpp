#include "core/platform/file_batch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// The files of a batch change only together, at its commit, the last write of a file winning;
// a batch never committed leaves the files as they were, and no scratch file behind.
TEST(FileBatchTest, FilesChangeOnlyWhenTheBatchIsCommitted) {
  testing::TempDir dir;
  testing::WriteFile(dir.path() / "old", "old content");
  {
    FileBatch batch;
    ASSERT_EQ(batch.Write(dir.path() / "old", "never"), 0);
    ASSERT_EQ(batch.Write(dir.path() / "new", "never"), 0);
  }
  EXPECT_EQ(ReadFile(dir.path() / "old"), "old content");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);

  FileBatch batch;
  ASSERT_EQ(batch.Write(dir.path() / "old", "first"), 0);
  ASSERT_EQ(batch.Write(dir.path() / "new", "new content"), 0);
  ASSERT_EQ(batch.Write(dir.path() / "old", "second"), 0);
  EXPECT_EQ(ReadFile(dir.path() / "old"), "old content");
  EXPECT_FALSE(fs::exists(dir.path() / "new"));
  ASSERT_EQ(batch.Commit(), 0);
  EXPECT_EQ(ReadFile(dir.path() / "old"), "second");
  EXPECT_EQ(ReadFile(dir.path() / "new"), "new content");
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
  struct stat info {};
  ASSERT_EQ(stat((dir.path() / "new").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(batch.Commit(), 0) << "nothing left to commit";

  EXPECT_NE(batch.Write(dir.path() / "missing" / "file", "x"), 0);
}

}  // namespace
}  // namespace tarnwick
