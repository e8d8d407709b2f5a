// One delivery run at a time, across every running copy of the program: a lock file next to the
// queue, held for the run.
#pragma once

#include <optional>
#include <string_view>

namespace tarnwick {

class DeliveryLock {
 public:
  // The lock, or nothing when another run holds it.
  static std::optional<DeliveryLock> TryAcquire(std::string_view mailBox);

  DeliveryLock(DeliveryLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  DeliveryLock& operator=(DeliveryLock&&) = delete;
  DeliveryLock(const DeliveryLock&) = delete;
  ~DeliveryLock();

 private:
  explicit DeliveryLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace tarnwick
