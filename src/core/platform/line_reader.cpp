#include "core/platform/line_reader.h"

namespace tarnwick {

LineReader::LineReader(const std::filesystem::path& file, std::uintmax_t maxBytes)
    : left_(maxBytes) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(file, ec)) in_.open(file, std::ios::binary);
}

bool LineReader::Next(std::string& line) {
  line.clear();
  std::streambuf* buffer = in_.rdbuf();
  if (!in_.is_open() || buffer == nullptr) return false;
  bool any = false;
  bool cut = false;  // past a zero byte or the length bound: the rest of the line is skipped
  for (int c = left_ > 0 ? buffer->sbumpc() : std::char_traits<char>::eof();
       c != std::char_traits<char>::eof();
       c = left_ > 0 ? buffer->sbumpc() : std::char_traits<char>::eof()) {
    --left_;
    any = true;
    if (c == '\n') break;
    if (c == '\0' || line.size() == kMaxLineBytes) cut = true;
    if (!cut) line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

}  // namespace tarnwick
