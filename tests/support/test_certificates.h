// A certificate authority of the tests' own, and server certificates from it, made with the
// openssl command in a folder. Clients trust it through SSL_CERT_FILE.
#pragma once

#include <filesystem>

namespace tarnwick::testing {

struct TestCertificates {
  std::filesystem::path authority;                // ca.pem
  std::filesystem::path localhost, localhostKey;  // for "localhost" and 127.0.0.1
  std::filesystem::path otherHost, otherHostKey;  // for mail.example.org only
  std::filesystem::path stranger, strangerKey;    // for localhost, but signed by no one trusted
};

// Makes them in the folder; empty paths when openssl failed.
TestCertificates MakeTestCertificates(const std::filesystem::path& folder);

}  // namespace tarnwick::testing
