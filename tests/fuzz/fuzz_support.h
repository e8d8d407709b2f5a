// What the fuzz targets share: the input as a file in a folder of the process's own, pieces of
// the input, and the check of an invariant, which aborts so that the fuzzer keeps the input.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::fuzz {

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// Removed when the fuzzer ends its run; a crash leaves it for a look.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("tarnwick-fuzz-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline const std::filesystem::path& Scratch() {
  static const ScratchFolder folder;
  return folder.path();
}

inline std::filesystem::path WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The input cut at each separator: a sent mail and its replies, the files of a Maildir.
inline std::vector<std::string_view> Pieces(std::string_view bytes, std::string_view separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const std::size_t at = bytes.find(separator);
    pieces.push_back(bytes.substr(0, at));
    if (at == std::string_view::npos) return pieces;
    bytes.remove_prefix(at + separator.size());
  }
}

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace tarnwick::fuzz
