// A real SMTP server (Python's aiosmtpd) started for one test on a loopback port. Each mail it
// takes lands in a folder as N.eml, its envelope beside it as N.envelope.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace tarnwick::testing {

class SmtpTestServer {
 public:
  struct Options {
    double delaySeconds = 0;  // how long the server takes over each mail's data
    std::string mode;         // "", "starttls" or "tls"
    std::filesystem::path certificate, key;
    std::string credentials;  // "user:password": AUTH is then required
  };

  explicit SmtpTestServer(const std::filesystem::path& outbox)
      : SmtpTestServer(outbox, Options{}) {}
  SmtpTestServer(const std::filesystem::path& outbox, const Options& options);
  ~SmtpTestServer();
  SmtpTestServer(const SmtpTestServer&) = delete;
  SmtpTestServer& operator=(const SmtpTestServer&) = delete;

  bool running() const { return port_ != 0; }
  std::uint32_t port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  std::uint32_t port_ = 0;
};

}  // namespace tarnwick::testing
