// One IMAP session (RFC 3501) that only reads: the folder is examined, never selected, and mails
// are fetched with BODY.PEEK, so not even \Seen changes. Every wait is bounded by the timeout,
// every line and literal by a size; whatever the server sends, the session stays within them.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
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
  ImapSession(ByteStream& stream, std::chrono::milliseconds timeout)
      : stream_(&stream), timeout_(timeout) {}

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
  // whose item is larger than kMaxFetchedMailBytes is left out. With `sizes`, each mail's whole
  // size (RFC822.SIZE) too.
  std::string Fetch(const std::vector<std::uint32_t>& uids, std::string_view item,
                    std::map<std::uint32_t, std::string>& items,
                    std::map<std::uint32_t, std::uint64_t>* sizes = nullptr);
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

  ByteStream* stream_;
  std::chrono::milliseconds timeout_;
  std::string pending_;  // received, not yet taken
  unsigned tags_ = 0;
  std::string lastTag_;
};

}  // namespace tarnwick
