#include "core/platform/record_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Payloads(std::string_view bytes, std::size_t* damaged = nullptr,
                                  std::size_t maxPayload = 1 << 20) {
  const LoggedRecords read = ReadRecords(bytes, maxPayload);
  if (damaged != nullptr) *damaged = read.damagedBytes;
  return {read.payloads.begin(), read.payloads.end()};
}

// Whatever cut a write short or came between records, every whole record around it reads; a
// record whose length, checksum or end does not hold is never read as one.
TEST(RecordLogTest, OnlyWholeRecordsReadWhateverSurroundsThem) {
  const std::string first = FramedRecord("first\tvalue\n");
  const std::string second = FramedRecord(std::string("bytes \x1eR\0 of any kind", 20));
  const std::string third = FramedRecord("");
  std::size_t damaged = 0;
  EXPECT_EQ(Payloads(first + second + third, &damaged),
            (std::vector<std::string>{"first\tvalue\n",
                                      std::string("bytes \x1eR\0 of any kind", 20), ""}));
  EXPECT_EQ(damaged, 0u);

  // Cut at every byte of the last record: the ones before it stand, nothing more.
  for (std::size_t cut = 0; cut < second.size(); ++cut) {
    EXPECT_EQ(Payloads(first + second.substr(0, cut), &damaged),
              std::vector<std::string>{"first\tvalue\n"})
        << cut;
    EXPECT_EQ(damaged, cut) << cut;
  }
  // A torn write followed by later appends: those still read.
  EXPECT_EQ(Payloads(first + second.substr(0, 30) + third + "junk" + first).size(), 3u);

  std::string flipped = second;
  flipped[flipped.size() - 3] ^= 1;
  EXPECT_EQ(Payloads(flipped + third).size(), 1u) << "checksum";
  std::string longer = first;
  longer[8] = '9';  // the length now runs past the end
  EXPECT_EQ(Payloads(longer).size(), 0u);
  EXPECT_EQ(
      Payloads(std::string("\x1eRffffffff ") + std::string(16, 'f') + "\n" + std::string(64, 'x'))
          .size(),
      0u);
  EXPECT_EQ(Payloads(first, nullptr, 4).size(), 0u) << "longer than allowed";
  EXPECT_EQ(Payloads(std::string(5000, '\x1e')).size(), 0u);
}

TEST(RecordLogTest, AppendsGoAfterWhatIsThereAndNeverThroughALink) {
  testing::TempDir dir;
  const fs::path file = dir / "log";
  std::uint64_t at = 99;
  ASSERT_EQ(AppendDurably(file, "one", at, "head\n"), 0);
  EXPECT_EQ(at, 5u) << "after the first bytes of a new file";
  ASSERT_EQ(AppendDurably(file, "two", at, "head\n"), 0);
  EXPECT_EQ(at, 8u);
  EXPECT_EQ(testing::ReadFile(file), "head\nonetwo");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadFileRange(file, 5, 3), "one");
  EXPECT_EQ(ReadFileRange(file, 9, 3), std::nullopt) << "past the end";

  testing::WriteFile(dir / "elsewhere", "kept");
  fs::create_symlink(dir / "elsewhere", dir / "link");
  EXPECT_NE(AppendDurably(dir / "link", "x", at), 0);
  EXPECT_EQ(ReadFileRange(dir / "link", 0, 4), std::nullopt);
  EXPECT_EQ(testing::ReadFile(dir / "elsewhere"), "kept");
  int error = 0;
  EXPECT_FALSE(FileLock::Take(dir / "link", error).has_value());
  EXPECT_NE(error, 0);
  EXPECT_TRUE(FileLock::Take(dir / "lock", error).has_value());
}

}  // namespace
}  // namespace tarnwick
