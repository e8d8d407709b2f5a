#include "support/dovecot_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "support/child_process.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;
constexpr char kDovecot[] = "/usr/sbin/dovecot";

std::uint32_t FreePort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  std::uint32_t port = 0;
  if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(probe);
  return port;
}

bool Accepts(std::uint32_t port) {
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool accepted = connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(client);
  return accepted;
}

void Own(const fs::path& path, uid_t uid, gid_t gid) {
  if (chown(path.c_str(), uid, gid) != 0) return;
}

}  // namespace

DovecotServer::DovecotServer(const fs::path& dir, const fs::path& certificate, const fs::path& key)
    : dir_(dir) {
  if (access(kDovecot, X_OK) != 0) return;
  // Dovecot never serves mail as root: the mail then belongs to "nobody".
  uid_ = getuid();
  gid_ = getgid();
  std::string loginUser;
  if (uid_ == 0) {
    if (const passwd* nobody = getpwnam("nobody")) {
      uid_ = nobody->pw_uid;
      gid_ = nobody->pw_gid;
    }
  } else if (const passwd* self = getpwuid(uid_)) {
    loginUser = self->pw_name;
  }
  for (const char* sub : {"run", "state", "home", "Maildir/new", "Maildir/cur", "Maildir/tmp"})
    fs::create_directories(dir_ / sub);
  // The mail's owner must reach its Maildir through the test's private folders.
  for (fs::path folder = dir_; folder.has_relative_path() && folder != "/tmp";
       folder = folder.parent_path()) {
    std::error_code ec;
    fs::permissions(folder, fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add,
                    ec);
  }
  for (const char* owned : {"home", "Maildir", "Maildir/new", "Maildir/cur", "Maildir/tmp"})
    Own(dir_ / owned, uid_, gid_);
  const std::uint32_t port = FreePort();
  const std::uint32_t tlsPort = certificate.empty() ? 0 : FreePort();
  std::ofstream config(dir_ / "dovecot.conf");
  config << "base_dir = " << (dir_ / "run").string()
         << "\nstate_dir = " << (dir_ / "state").string()
         << "\nlog_path = " << (dir_ / "dovecot.log").string()
         << "\nprotocols = imap\nlisten = 127.0.0.1\n"
            "service imap-login {\n  inet_listener imap {\n    port = "
         << port << "\n  }\n  inet_listener imaps {\n    port = " << tlsPort
         << "\n  }\n  chroot =\n}\n"
            "service anvil {\n  chroot =\n}\n"
         << "mail_location = maildir:" << (dir_ / "Maildir").string()
         << "\npassdb {\n  driver = static\n  args = password=secret\n}\n"
            "userdb {\n  driver = static\n  args = uid="
         << uid_ << " gid=" << gid_ << " home=" << (dir_ / "home").string()
         << "\n}\nauth_mechanisms = plain login\ndisable_plaintext_auth = no\n"
            "first_valid_uid = 1\nfirst_valid_gid = 1\n";
  if (certificate.empty()) {
    config << "ssl = no\n";
  } else {
    config << "ssl = yes\nssl_cert = <" << certificate.string() << "\nssl_key = <" << key.string()
           << "\n";
  }
  if (!loginUser.empty()) {
    config << "default_internal_user = " << loginUser << "\ndefault_login_user = " << loginUser
           << "\n";
  }
  config.close();
  pid_ = fork();
  if (pid_ == 0) {
    EndWithParent();
    execl(kDovecot, "dovecot", "-F", "-c", (dir_ / "dovecot.conf").c_str(), nullptr);
    _exit(127);
  }
  for (int i = 0; i < 100 && pid_ > 0; ++i) {
    if (Accepts(port) && (tlsPort == 0 || Accepts(tlsPort))) {
      port_ = port;
      tlsPort_ = tlsPort;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

DovecotServer::~DovecotServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

void DovecotServer::Deliver(const std::string& mail) {
  const std::string name = "test." + std::to_string(++delivered_) + ".localhost";
  const fs::path scratch = dir_ / "Maildir" / "tmp" / name;
  std::ofstream(scratch, std::ios::binary) << mail;
  Own(scratch, uid_, gid_);
  fs::rename(scratch, dir_ / "Maildir" / "new" / name);
}

std::vector<std::string> DovecotServer::MailFiles() const {
  std::vector<std::string> names;
  for (const char* sub : {"new", "cur"}) {
    std::error_code ec;
    for (fs::directory_iterator it(dir_ / "Maildir" / sub, ec), end; !ec && it != end;
         it.increment(ec)) {
      names.push_back(std::string(sub) + "/" + it->path().filename().string());
    }
  }
  return names;
}

}  // namespace tarnwick::testing
