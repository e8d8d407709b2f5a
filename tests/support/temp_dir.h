// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes the bytes to the file, creating its folders.
void WriteFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& file);

// While it lives, files are limited to `bytes`: a write stops part of the way through, as on a
// full disk, and fails with EFBIG rather than ending the test.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::size_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*handler_)(int) = nullptr;
};

}  // namespace tarnwick::testing
