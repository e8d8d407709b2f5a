#include "platform/line_reader.h"

namespace tarnwick {

bool LineReader::Next(std::string& line) {
  line.clear();
  std::streambuf* buffer = in_.rdbuf();
  if (!in_.is_open() || buffer == nullptr) return false;
  bool any = false;
  bool cut = false;  // past a zero byte or the length bound: the rest of the line is skipped
  for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
    any = true;
    if (c == '\n') break;
    if (c == '\0' || line.size() == kMaxLineBytes) cut = true;
    if (!cut) line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

}  // namespace tarnwick
