// Reads a file of outside text line by line, bounded: however long a line is, at most
// kMaxLineBytes of it are kept, so a file without line ends can't take unbounded memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarnwick {

class LineReader {
 public:
  static constexpr std::size_t kMaxLineBytes = 64 * 1024;

  explicit LineReader(const std::filesystem::path& file) : in_(file, std::ios::binary) {}

  bool is_open() const { return in_.is_open(); }

  // The next line without its line end (LF, or CR LF), and cut at its first zero byte as a
  // C string would end there. False at the end of the file.
  bool Next(std::string& line);

 private:
  std::ifstream in_;
};

}  // namespace tarnwick
