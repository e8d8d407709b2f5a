#include "core/delivery/hand_off.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "core/platform/process.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;

// Watches a file for being opened by anyone.
class OpenWatch {
 public:
  explicit OpenWatch(const std::filesystem::path& file)
      : fd_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    if (fd_ >= 0) inotify_add_watch(fd_, file.c_str(), IN_OPEN);
  }
  ~OpenWatch() {
    if (fd_ >= 0) close(fd_);
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;

  // True once the file has been opened; waits at most `wait` for it.
  bool Opened(std::chrono::milliseconds wait) {
    if (fd_ < 0) return false;
    pollfd entry{fd_, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(wait.count())) <= 0) return false;
    alignas(inotify_event) char events[4096];
    return read(fd_, events, sizeof events) > 0;
  }

 private:
  int fd_;
};

bool Exited(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

std::vector<std::string> MailerArguments(MailerKind kind, const std::string& mailerPath,
                                         const std::string& mailFile) {
  switch (kind) {
    case MailerKind::Alsend:
      return {mailerPath, "/F=" + mailFile};
    case MailerKind::Almail:
      return {mailerPath, "/file:" + mailFile};
    default:
      return {mailerPath, mailFile};
  }
}

Launch LaunchMailer(const std::vector<std::string>& arguments,
                    const std::filesystem::path& mailFile, std::chrono::milliseconds readWait,
                    const StopSignal* stop) {
  OpenWatch watch(mailFile);
  const std::optional<pid_t> started = StartProgram(arguments);
  if (!started) return {};
  const pid_t pid = *started;

  Launch launch{true, false};
  bool exited = false;
  const Clock::time_point deadline = Clock::now() + readWait;
  while (!launch.read && !exited && Clock::now() < deadline &&
         (stop == nullptr || !stop->requested())) {
    launch.read = watch.Opened(std::chrono::milliseconds(50));
    exited = Exited(pid);
  }
  // The program is left running; once it ends, this reaps it so it leaves no zombie behind.
  if (!exited) std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  return launch;
}

void HandOff(std::vector<QueuedMail>& mails, MailerKind kind, const std::string& mailerPath,
             const std::function<void(QueuedMail&)>& handedOff, std::vector<std::string>& failures,
             const HandOffTimes& times, const StopSignal* stop) {
  const std::string program = Cp932ToUtf8(mailerPath);
  for (std::size_t i = 0; i < mails.size(); ++i) {
    if (stop != nullptr && stop->requested()) break;
    // Read while the file is surely ours: the program may move it, and a delivered one goes.
    mails[i].title = QueuedMailTitle(mails[i].path).value_or("");
    const Launch launch = LaunchMailer(MailerArguments(kind, program, mails[i].path.string()),
                                       mails[i].path, times.readWait, stop);
    if (!launch.started) {
      failures[i] = "ﾒｰﾗｰ(" + program + ")を起動できませんでした";
      continue;
    }
    mails[i].delivered = true;
    // Removing a file its program has not opened could take the mail away from it.
    if (!launch.read) {
      mails[i].keep = true;
      failures[i] = "ﾒｰﾗｰがﾌｧｲﾙを読んだか確認できないため、ﾌｧｲﾙを残しました";
    }
    handedOff(mails[i]);
  }
  std::this_thread::sleep_for(times.pause);
}

}  // namespace tarnwick
