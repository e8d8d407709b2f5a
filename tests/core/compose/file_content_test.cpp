#include "core/compose/file_content.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
using testing::WriteFile;

TEST(FileContent, IsReadByteForByte) {
  TempDir dir;
  std::string bytes;
  for (int i = 1; i < 200000; ++i)
    bytes += static_cast<char>(i % 255 + 1);  // no zero byte, more than one read's worth
  WriteFile(dir / "f", bytes);
  const FileContent content = ReadFileContent((dir / "f").string());
  EXPECT_FALSE(content.refusal);
  EXPECT_EQ(content.bytes, bytes);
}

// A mail that replaces a list's text with part of a file, or with nothing, must never be queued.
TEST(FileContent, WhatCantBeReadWholeIsRefusedNamingTheFile) {
  TempDir dir;
  WriteFile(dir / "binary", std::string("text\0more", 9));
  WriteFile(dir / "big", std::string(kMaxFileContentBytes + 1, 'x'));
  WriteFile(dir / "locked", "secret");
  ::chmod((dir / "locked").c_str(), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string_view reason;
  } cases[] = {
      {"", "送るﾌｧｲﾙが指定されていません"},
      {(dir / "missing").string(), "が読めません\nNo such file or directory"},
      {dir.path().string(), "は通常のﾌｧｲﾙではありません"},
      {(dir / "fifo").string(), "は通常のﾌｧｲﾙではありません"},  // would block for ever
      {"/dev/zero", "は通常のﾌｧｲﾙではありません"},              // would never end
      {(dir / "binary").string(), "はﾃｷｽﾄﾌｧｲﾙではありません"},
      {(dir / "big").string(), "は大きすぎます (33.6 MB)\n32 MiBまでのﾌｧｲﾙが読めます"},
      {"/tmp/\x83", "が読めません"},  // not CP932
  };
  for (const auto& c : cases) {
    const FileContent content = ReadFileContent(c.path);
    ASSERT_TRUE(content.refusal) << c.path;
    EXPECT_NE(content.refusal->find(c.reason), std::string::npos) << *content.refusal;
    EXPECT_TRUE(content.bytes.empty());
  }
  if (::geteuid() != 0) {
    EXPECT_TRUE(ReadFileContent((dir / "locked").string()).refusal);
  }
}

}  // namespace
}  // namespace tarnwick
