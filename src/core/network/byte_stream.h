// The transport under an SMTP or IMAP session: a TCP socket, TLS over one, or a test's scripted
// server. Every wait is bounded by the timeout the caller gives.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

enum class Io {
  Ok,
  Closed,    // the peer closed the connection
  TimedOut,  // nothing moved within the timeout
  Failed,    // any other error of the connection
};

class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // Writes every byte, or reports why not.
  virtual Io Write(std::string_view bytes, std::chrono::milliseconds timeout) = 0;
  // Appends at least one and at most `max` bytes to `out`, or reports why not.
  virtual Io Read(std::string& out, std::size_t max, std::chrono::milliseconds timeout) = 0;
};

}  // namespace tarnwick
