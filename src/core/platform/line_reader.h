// Reads a file of outside text line by line, bounded: however long a line is, at most
// kMaxLineBytes of it are kept, so a file without line ends can't take unbounded memory, and no
// more than `maxBytes` of the file are read, so an endless one ends. Only a regular file is
// opened: a pipe or a device would block or never end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarnwick {

class LineReader {
 public:
  static constexpr std::size_t kMaxLineBytes = 64 * 1024;

  LineReader(const std::filesystem::path& file, std::uintmax_t maxBytes);

  bool is_open() const { return in_.is_open(); }

  // The next line without its line end (LF, or CR LF), and cut at its first zero byte as a
  // C string would end there. False at the end of the file.
  bool Next(std::string& line);

 private:
  std::ifstream in_;
  std::uintmax_t left_;  // bytes that may still be read
};

}  // namespace tarnwick
