// Reading SMTP replies: "250-first line", ..., "250 last line". Bounded whatever the server
// sends: an overlong line, endless text without a line end, or a reply split over many reads.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "core/network/byte_stream.h"

namespace tarnwick {

struct Reply {
  Io io = Io::Failed;              // Ok when a whole reply arrived; Failed also for a line that
                                   // is no reply line (three digits, then a blank or a hyphen)
  int code = 0;                    // the number at the start of the last line; 0 when it has none
  std::vector<std::string> lines;  // each line's text after its code and separator
};

class ReplyReader {
 public:
  // More than any server's reply; a longer one is a broken server, not a reply.
  static constexpr std::size_t kMaxReplyBytes = 64 * 1024;

  explicit ReplyReader(ByteStream& stream) : stream_(&stream) {}

  // One whole reply, within the timeout for all of it: a server that drips a byte now and then
  // can't keep a reply open for longer.
  Reply Read(std::chrono::milliseconds timeout);

  // Reads from another stream from now on (the same connection, encrypted).
  void SetStream(ByteStream& stream) { stream_ = &stream; }
  // Bytes that arrived after the last reply: none may, before TLS starts.
  bool HasPending() const { return !pending_.empty(); }

 private:
  ByteStream* stream_;
  std::string pending_;  // bytes received past the end of the previous reply
};

}  // namespace tarnwick
