#include "core/platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;

// Reads the child's output until it closes it or the deadline passes.
bool Collect(int fd, Clock::time_point deadline, std::size_t maxOutput, std::string& output) {
  char buffer[4096];
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd entry{fd, POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;
    const std::size_t room = maxOutput - std::min(maxOutput, output.size());
    output.append(buffer, std::min(room, static_cast<std::size_t>(got)));
  }
}

// A spawn over the arguments, with these file actions (or none).
std::optional<pid_t> Spawn(const std::vector<std::string>& arguments,
                           const posix_spawn_file_actions_t* actions) {
  if (arguments.empty() || arguments[0].empty()) return std::nullopt;
  std::vector<char*> argv;
  for (const std::string& argument : arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0) return std::nullopt;
  return pid;
}

}  // namespace

std::optional<pid_t> StartProgram(const std::vector<std::string>& arguments) {
  return Spawn(arguments, nullptr);
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, std::size_t maxOutput) {
  ProgramRun run;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  std::vector<std::string> command{program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const std::optional<pid_t> spawned = Spawn(command, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (!spawned) {
    close(pipeFds[0]);
    return run;
  }
  run.started = true;
  const pid_t pid = *spawned;
  const bool closed = Collect(pipeFds[0], Clock::now() + timeout, maxOutput, run.output);
  close(pipeFds[0]);
  if (!closed) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.finished = closed && WIFEXITED(status);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace tarnwick
