#include "delivery/delivery_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fs_path.h"

namespace tarnwick {

std::optional<DeliveryLock> DeliveryLock::TryAcquire(std::string_view mailBox) {
  const std::optional<std::filesystem::path> folder = ToFsPath(mailBox);
  // Without a mail box folder there is no queue to guard, and nothing for a run to send twice.
  if (!folder) return DeliveryLock(-1);
  const std::filesystem::path file = *folder / ".tarnwick-send.lock";
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return DeliveryLock(-1);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return std::nullopt;
  }
  return DeliveryLock(fd);
}

DeliveryLock::~DeliveryLock() {
  if (fd_ >= 0) close(fd_);  // closing releases the lock
}

}  // namespace tarnwick
