#include "core/delivery/smtp_reply.h"

#include "core/platform/ascii.h"

namespace tarnwick {
namespace {

constexpr std::size_t kReadPiece = 1024;

// A line of three digits and a hyphen continues the reply; any other line ends it.
bool ContinuesReply(std::string_view line) {
  return line.size() >= 4 && IsAsciiDigit(line[0]) && IsAsciiDigit(line[1]) &&
         IsAsciiDigit(line[2]) && line[3] == '-';
}

// Three digits, then a blank, a hyphen or the line's end: anything else is no reply line.
bool IsReplyLine(std::string_view line) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line.size() >= 3 && IsAsciiDigit(line[0]) && IsAsciiDigit(line[1]) &&
         IsAsciiDigit(line[2]) && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
}

int CodeOf(std::string_view line) {
  int code = 0;
  for (std::size_t i = 0; i < line.size() && i < 9 && IsAsciiDigit(line[i]); ++i) {
    code = code * 10 + (line[i] - '0');
  }
  return code;
}

// The text of a reply line after its code and separator, without its line end.
std::string TextOf(std::string_view line) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  return std::string(line.size() > 4 ? line.substr(4) : std::string_view());
}

}  // namespace

Reply ReplyReader::Read(std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + timeout;
  std::size_t consumed = 0;  // bytes of this reply taken from pending_ so far
  Reply reply;
  while (true) {
    const std::size_t end = pending_.find('\n', consumed);
    if (end != std::string::npos) {
      const std::string_view line(pending_.data() + consumed, end - consumed);
      consumed = end + 1;
      if (!IsReplyLine(line)) {
        pending_.clear();
        return {Io::Failed, 0, {}};  // a server that speaks no SMTP
      }
      reply.lines.push_back(TextOf(line));
      if (!ContinuesReply(line)) {
        reply.io = Io::Ok;
        reply.code = CodeOf(line);
        pending_.erase(0, consumed);
        return reply;
      }
      continue;
    }
    if (pending_.size() > kMaxReplyBytes) {
      pending_.clear();
      return {Io::Failed, 0, {}};
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return {Io::TimedOut, 0, {}};
    const Io io = stream_->Read(pending_, kReadPiece, left);
    if (io != Io::Ok) return {io, 0, {}};
  }
}

}  // namespace tarnwick
