#include "core/delivery/stop_signal.h"

#include <sys/socket.h>

#include <thread>

namespace tarnwick {

void StopSignal::Request() {
  requested_.store(true);
  if (!finalReply_.load()) Interrupt();
}

void StopSignal::Interrupt() {
  interrupting_.fetch_add(1);
  const int socket = socket_.load();
  // shutdown, unlike close, leaves the descriptor to its owner, and wakes a blocked recv.
  if (socket >= 0) shutdown(socket, SHUT_RDWR);
  interrupting_.fetch_sub(1);
}

void StopSignal::Watch(int socket) {
  socket_.store(socket);
  if (requested_.load() && !finalReply_.load()) Interrupt();
}

void StopSignal::Unwatch() {
  socket_.store(-1);
  // A request that read the socket before this finishes with it before the socket is closed.
  while (interrupting_.load() != 0)
    std::this_thread::yield();
}

void StopSignal::LeaveFinalReply() {
  finalReply_.store(false);
  if (requested_.load()) Interrupt();
}

}  // namespace tarnwick
