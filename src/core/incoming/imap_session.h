// One IMAP session (RFC 3501) that only reads: the folder is examined, never selected, and mails
// are fetched with BODY.PEEK, so not even \Seen changes. Every wait is bounded by the timeout and
// the session's deadline, every line and literal by a size, the untagged responses of a command
// by their number and bytes; whatever the server sends, the session stays within them.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analyze/mime_mail.h"
#include "core/network/byte_stream.h"

namespace tarnwick {

// A mail larger than the mail parser reads is not fetched.
inline constexpr std::size_t kMaxFetchedMailBytes = kMaxReturnedMailBytes;

class ImapSession {
 public:
  using Clock = std::chrono::steady_clock;

  ImapSession(ByteStream& stream, std::chrono::milliseconds timeout)
      : stream_(&stream), timeout_(timeout) {}

  // No wait of the session goes past this time: a server that drips a byte now and then can't
  // keep it alive.
  void SetDeadline(Clock::time_point deadline) { deadline_ = deadline; }

  // Each returns nothing when done, or what went wrong, for the user (UTF-8).
  std::string Greeting();
  // Asks to start TLS; once granted, the caller starts it and hands the stream over.
  std::string StartTls();
  void UseStream(ByteStream& stream) { stream_ = &stream; }
  // AUTHENTICATE PLAIN: any bytes in the user name and password.
  std::string Login(std::string_view user, std::string_view password);
  std::string Examine(std::string_view folder, std::uint32_t& uidValidity);
  // The UIDs above `lastUid`, ascending.
  std::string NewerThan(std::uint32_t lastUid, std::vector<std::uint32_t>& uids);
  // The item ("BODY.PEEK[]", "BODY.PEEK[HEADER.FIELDS (FROM)]") of each mail, by UID; a mail
  // whose item is larger than kMaxFetchedMailBytes is left out, and so is whatever the server
  // sends of a UID not asked for. With `sizes`, each mail's whole size (RFC822.SIZE) too.
  std::string Fetch(const std::vector<std::uint32_t>& uids, std::string_view item,
                    std::map<std::uint32_t, std::string>& items,
                    std::map<std::uint32_t, std::uint64_t>* sizes = nullptr);
  // Says goodbye within a short wait; nothing once the session broke down.
  void Logout();

 private:
  struct Response {
    std::string tag;                    // "*", "+", or a command's tag
    std::string text;                   // its lines, each literal as "{N}"
    std::vector<std::string> literals;  // in order
  };
  // Sends the command and collects the untagged responses until its own; empty when the server
  // said OK, else the failure.
  std::string Run(std::string_view command, std::vector<Response>* untagged = nullptr);
  const std::string& NextTag();
  bool ReadResponse(Response& response);
  bool ReadLine(std::string& line);
  bool ReadBytes(std::size_t count, std::string& bytes);
  // The wait for the next read or write: the timeout, or less when the deadline comes first.
  std::optional<std::chrono::milliseconds> Wait() const;
  bool Send(std::string_view bytes);
  std::string Lost() const;

  ByteStream* stream_;
  std::chrono::milliseconds timeout_;
  std::optional<Clock::time_point> deadline_;
  bool broken_ = false;  // the server was given up on: nothing more is said to it
  std::string pending_;  // received, not yet taken
  unsigned tags_ = 0;
  std::string lastTag_;
};

}  // namespace tarnwick
