// A request to end a delivery run early, made from another thread or a signal handler (the
// window's 中止, its closing, Ctrl+C). The run looks at it before each mail. A wait on the
// server ends at once too, by shutting its connection down, except while the reply to a mail's
// end of data is awaited: the mail in flight is either taken or left queued, never in between.
#pragma once

#include <atomic>

namespace tarnwick {

class StopSignal {
 public:
  // Safe in a signal handler.
  void Request();
  bool requested() const { return requested_.load(); }

  // The socket of the run's connection while it is open; Unwatch before it is closed.
  void Watch(int socket);
  void Unwatch();

  // Around the wait for a mail's final reply.
  void EnterFinalReply() { finalReply_.store(true); }
  void LeaveFinalReply();

 private:
  void Interrupt();

  std::atomic<bool> requested_{false};
  std::atomic<bool> finalReply_{false};
  std::atomic<int> socket_{-1};
  std::atomic<int> interrupting_{0};  // requests between reading the socket and shutting it
};

}  // namespace tarnwick
