#include "core/delivery/delivery_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/platform/fs_path.h"
#include "core/platform/text_codec.h"

namespace tarnwick {

LockAttempt DeliveryLock::TryAcquire(std::string_view mailBox) {
  LockAttempt attempt;
  const std::optional<std::filesystem::path> folder = ToFsPath(mailBox);
  std::error_code ec;
  // Without a mail box folder there is no queue to guard, and nothing for a run to send twice.
  if (!folder || !std::filesystem::is_directory(*folder, ec)) {
    attempt.lock.emplace(DeliveryLock(-1));
    return attempt;
  }
  const std::filesystem::path file = *folder / ".tarnwick-send.lock";
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    attempt.failure = "送信中の印 (ﾛｯｸﾌｧｲﾙ) 「" + Cp932ToUtf8(mailBox) +
                      "/.tarnwick-send.lock」が作れないため送信できません\n" + std::strerror(errno);
    return attempt;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    attempt.busy = true;
    return attempt;
  }
  attempt.lock.emplace(DeliveryLock(fd));
  return attempt;
}

DeliveryLock::~DeliveryLock() {
  if (fd_ >= 0) close(fd_);  // closing releases the lock
}

}  // namespace tarnwick
