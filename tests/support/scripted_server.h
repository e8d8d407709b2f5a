// A mail server played from a script, byte for byte: what it answers, and everything the client
// wrote to it.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/network/byte_stream.h"

namespace tarnwick::testing {

class ScriptedServer : public ByteStream {
 public:
  // Queues bytes the server sends; each Read hands out one queued piece.
  ScriptedServer& Says(std::string piece) {
    pieces_.push_back(std::move(piece));
    return *this;
  }
  // After the queued pieces: the server hangs up (the default), or goes silent.
  void StallWhenDone() { stall_ = true; }
  // The connection breaks when the client's writes would pass this many bytes in all: that write
  // and every later one fail.
  void FailWritesAfter(std::size_t bytes) { writeLimit_ = bytes; }

  const std::string& written() const { return written_; }
  // The same bytes, one entry per write: what went out together.
  const std::vector<std::string>& writes() const { return writes_; }

  // A stream over this server that a connection can own while the test keeps the server.
  std::unique_ptr<ByteStream> Borrow() {
    struct Borrowed final : ByteStream {
      explicit Borrowed(ByteStream& server) : server(server) {}
      Io Write(std::string_view bytes, std::chrono::milliseconds timeout) override {
        return server.Write(bytes, timeout);
      }
      Io Read(std::string& out, std::size_t max, std::chrono::milliseconds timeout) override {
        return server.Read(out, max, timeout);
      }
      ByteStream& server;
    };
    return std::make_unique<Borrowed>(*this);
  }

  Io Write(std::string_view bytes, std::chrono::milliseconds) override {
    if (written_.size() + bytes.size() > writeLimit_) {
      writeLimit_ = 0;
      return Io::Closed;
    }
    written_ += bytes;
    writes_.emplace_back(bytes);
    return Io::Ok;
  }

  Io Read(std::string& out, std::size_t max, std::chrono::milliseconds) override {
    if (pieces_.empty()) return stall_ ? Io::TimedOut : Io::Closed;
    std::string& piece = pieces_.front();
    const std::size_t take = std::min(max, piece.size());
    out.append(piece, 0, take);
    piece.erase(0, take);
    if (piece.empty()) pieces_.pop_front();
    return Io::Ok;
  }

 private:
  std::deque<std::string> pieces_;
  std::string written_;
  std::vector<std::string> writes_;
  bool stall_ = false;
  std::size_t writeLimit_ = std::string::npos;
};

}  // namespace tarnwick::testing
