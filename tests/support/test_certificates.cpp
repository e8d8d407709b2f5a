#include "support/test_certificates.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace tarnwick::testing {
namespace {

bool Run(const std::string& command) {
  return std::system((command + " 2>/dev/null").c_str()) == 0;
}

std::string Key(const std::filesystem::path& key) {
  return "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout '" + key.string() + "'";
}

// A certificate for `names` (a subjectAltName list), signed by the test authority.
bool Issue(const std::filesystem::path& dir, const std::string& name, const std::string& names) {
  const std::string base = (dir / name).string();
  std::ofstream(base + ".ext") << "subjectAltName=" << names << "\n";
  return Run("openssl req " + Key(base + ".key") + " -subj '/CN=" + name + "' -out '" + base +
             ".csr'") &&
         Run("openssl x509 -req -in '" + base + ".csr' -CA '" + (dir / "ca.pem").string() +
             "' -CAkey '" + (dir / "ca.key").string() + "' -CAcreateserial -days 2 -extfile '" +
             base + ".ext' -out '" + base + ".pem'");
}

}  // namespace

TestCertificates MakeTestCertificates(const std::filesystem::path& dir) {
  const bool made =
      Run("openssl req -x509 " + Key(dir / "ca.key") +
          " -subj '/CN=Tarnwick Test CA' -days 2 -out '" + (dir / "ca.pem").string() + "'") &&
      Issue(dir, "localhost", "DNS:localhost,IP:127.0.0.1") &&
      Issue(dir, "other", "DNS:mail.example.org") &&
      Run("openssl req -x509 " + Key(dir / "stranger.key") +
          " -subj '/CN=localhost' -addext 'subjectAltName=DNS:localhost' -days 2 -out '" +
          (dir / "stranger.pem").string() + "'");
  if (!made) return {};
  return {dir / "ca.pem",    dir / "localhost.pem", dir / "localhost.key", dir / "other.pem",
          dir / "other.key", dir / "stranger.pem",  dir / "stranger.key"};
}

}  // namespace tarnwick::testing
