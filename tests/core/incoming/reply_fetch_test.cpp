#include "core/incoming/reply_fetch.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Before any server is asked: the folder the replies go to.
FetchReport FetchWithoutServer(const fs::path& box) {
  return FetchReplies(IncomingSettings(), box.string(), MailingListRegister(),
                      [](std::string_view) { return false; });
}

TEST(ReplyFolderTest, ALinkInPlaceOfTheRepliesFolderIsNeverWrittenThrough) {
  testing::TempDir dir;
  fs::create_directories(dir / "box");
  fs::create_directories(dir / "elsewhere");
  fs::permissions(dir / "elsewhere",
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  fs::create_directory_symlink(dir / "elsewhere", dir / "box" / ".replies");
  const FetchReport report = FetchWithoutServer(dir / "box");
  EXPECT_NE(report.failure.find("を作れません"), std::string::npos) << report.failure;
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  EXPECT_NE(fs::status(dir / "elsewhere").permissions() & fs::perms::others_read, fs::perms::none)
      << "the link's target keeps its mode";
}

TEST(ReplyFolderTest, ScratchFilesLeftByAKilledFetchAreRemovedFreshOnesKept) {
  testing::TempDir dir;
  const fs::path replies = dir / "box" / ".replies";
  const fs::path stale = replies / ".1000-7.eml.a1B2c3";
  const fs::path fresh = replies / ".1000-8.eml.d4E5f6";
  const fs::path reply = replies / "1000-6.eml";
  for (const fs::path& file : {stale, fresh, reply})
    testing::WriteFile(file, "x");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(stale, old);
  fs::last_write_time(reply, old);
  EXPECT_EQ(FetchWithoutServer(dir / "box").failure, "受信ｻｰﾊﾞｰが設定されていません");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh)) << "it may be another fetch's, under way";
  EXPECT_TRUE(fs::exists(reply));
}

}  // namespace
}  // namespace tarnwick
