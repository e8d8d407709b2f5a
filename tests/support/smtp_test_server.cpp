#include "support/smtp_test_server.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/child_process.h"

namespace tarnwick::testing {

SmtpTestServer::SmtpTestServer(const std::filesystem::path& outbox, const Options& options) {
  const std::string delay = std::to_string(options.delaySeconds);
  int toChild[2];
  int fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    EndWithParent();
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    close(toChild[1]);
    close(fromChild[0]);
    // The system Python: Debian's aiosmtpd lives there, whatever python3 comes first on PATH.
    execl("/usr/bin/python3", "python3", TARNWICK_SMTP_TEST_SERVER, outbox.c_str(), delay.c_str(),
          options.mode.c_str(), options.certificate.c_str(), options.key.c_str(),
          options.credentials.c_str(), nullptr);
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  stdin_ = toChild[1];
  FILE* output = fdopen(fromChild[0], "r");
  unsigned port = 0;
  if (output != nullptr && std::fscanf(output, "%u", &port) == 1) port_ = port;
  if (output != nullptr) std::fclose(output);
}

SmtpTestServer::~SmtpTestServer() {
  if (stdin_ >= 0) close(stdin_);  // the server stops when its input ends
  if (pid_ > 0) {
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
      usleep(20000);
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
}

}  // namespace tarnwick::testing
