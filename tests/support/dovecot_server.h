// A real IMAP server started for one test: Debian's Dovecot on a free loopback port, with a
// configuration of its own, one user ("admin", password "secret") and a Maildir.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::testing {

class DovecotServer {
 public:
  // With a certificate and its key, the server also speaks TLS: STARTTLS on port(), and TLS from
  // the first byte on tlsPort().
  explicit DovecotServer(const std::filesystem::path& dir,
                         const std::filesystem::path& certificate = {},
                         const std::filesystem::path& key = {});
  ~DovecotServer();
  DovecotServer(const DovecotServer&) = delete;
  DovecotServer& operator=(const DovecotServer&) = delete;

  bool running() const { return port_ != 0; }
  std::uint32_t port() const { return port_; }
  std::uint32_t tlsPort() const { return tlsPort_; }

  // A new mail in the INBOX, as a delivery agent puts it there.
  void Deliver(const std::string& mail);
  // The names of the INBOX's mail files: Dovecot writes a mail's flags into its name (":2,S"
  // once it is \Seen), and moves it from new/ to cur/ once a session took it in.
  std::vector<std::string> MailFiles() const;

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  std::uint32_t port_ = 0;
  std::uint32_t tlsPort_ = 0;
  unsigned delivered_ = 0;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

}  // namespace tarnwick::testing
