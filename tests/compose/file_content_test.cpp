#include "compose/file_content.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(FileContent, IsAppendedByteForByte) {
  TempDir dir;
  std::string bytes;
  for (int i = 1; i < 5000; ++i)
    bytes += static_cast<char>(i % 255 + 1);  // no zero byte
  WriteFile(dir / "f", bytes);
  std::string text = "head\r\n";
  EXPECT_EQ(AppendFileContent((dir / "f").string(), text), FileContent::Appended);
  EXPECT_EQ(text, "head\r\n" + bytes);
}

TEST(FileContent, AZeroByteDropsTheRestOfIts1023ByteChunkOnly) {
  TempDir dir;
  std::string bytes(3000, 'x');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>('a' + i % 26);
  bytes[10] = '\0';    // in the first chunk, bytes 0-1022
  bytes[2046] = '\0';  // the first byte of the third chunk, bytes 2046-3068
  WriteFile(dir / "f", bytes);
  std::string text;
  AppendFileContent((dir / "f").string(), text);
  EXPECT_EQ(text, bytes.substr(0, 10) + bytes.substr(1023, 1023));
}

TEST(FileContent, AFileThatCantBeOpenedAddsNothing) {
  TempDir dir;
  std::string text = "kept";
  EXPECT_EQ(AppendFileContent("", text), FileContent::Appended);
  EXPECT_EQ(AppendFileContent((dir / "missing").string(), text), FileContent::Appended);
  EXPECT_EQ(AppendFileContent(dir.path().string(), text), FileContent::Appended);  // a folder
  EXPECT_EQ(AppendFileContent("/tmp/\x83", text), FileContent::Appended);          // not CP932
  EXPECT_EQ(text, "kept");
}

TEST(FileContent, AFileTooLargeForAMailIsRefusedWhole) {
  TempDir dir;
  WriteFile(dir / "big", std::string(kMaxFileContentBytes + 1, 'x'));
  std::string text = "kept";
  EXPECT_EQ(AppendFileContent((dir / "big").string(), text), FileContent::TooLarge);
  EXPECT_EQ(text, "kept");
}

}  // namespace
}  // namespace tarnwick
