// One delivery run at a time, across every running copy of the program: a lock file next to the
// queue, held for the run. Without the lock there is no run: two unlocked runs would send the
// same mails twice.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

struct LockAttempt;

class DeliveryLock {
 public:
  static LockAttempt TryAcquire(std::string_view mailBox);

  DeliveryLock(DeliveryLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  DeliveryLock& operator=(DeliveryLock&&) = delete;
  DeliveryLock(const DeliveryLock&) = delete;
  ~DeliveryLock();

 private:
  explicit DeliveryLock(int fd) : fd_(fd) {}
  int fd_;
};

struct LockAttempt {
  std::optional<DeliveryLock> lock;  // held when the run may go ahead
  bool busy = false;                 // another run holds it
  std::string failure;               // why the lock could not be had (UTF-8), when not busy
};

}  // namespace tarnwick
