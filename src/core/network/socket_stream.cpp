#include "core/network/socket_stream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until the socket is ready for `events`, within what is left of the timeout.
Io Wait(int fd, short events, Clock::time_point deadline) {
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return Io::TimedOut;
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
    if (ready > 0) return Io::Ok;
    if (ready < 0 && errno != EINTR) return Io::Failed;
  }
}

// A blocking socket whose waits the kernel bounds (SO_RCVTIMEO, SO_SNDTIMEO): one system call
// per reply read, which matters when a run is thousands of short exchanges.
class SocketStream final : public ByteStream {
 public:
  explicit SocketStream(int fd) : fd_(fd) {}
  ~SocketStream() override { close(fd_); }
  SocketStream(const SocketStream&) = delete;
  SocketStream& operator=(const SocketStream&) = delete;

  Io Write(std::string_view bytes, std::chrono::milliseconds timeout) override {
    if (!Bound(SO_SNDTIMEO, timeout, sendTimeout_)) return Io::Failed;
    while (!bytes.empty()) {
      const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(sent));
      } else if (sent < 0 && errno == EINTR) {
        continue;
      } else {
        return Failure(sent);
      }
    }
    return Io::Ok;
  }

  Io Read(std::string& out, std::size_t max, std::chrono::milliseconds timeout) override {
    if (!Bound(SO_RCVTIMEO, timeout, receiveTimeout_)) return Io::Failed;
    char buffer[4096];
    while (true) {
      const ssize_t got = recv(fd_, buffer, std::min(max, sizeof buffer), 0);
      if (got > 0) {
        out.append(buffer, static_cast<std::size_t>(got));
        return Io::Ok;
      }
      if (got == 0) return Io::Closed;
      if (errno != EINTR) return Failure(got);
    }
  }

 private:
  static Io Failure(ssize_t result) {
    if (result == 0 || errno == EPIPE || errno == ECONNRESET) return Io::Closed;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Io::TimedOut : Io::Failed;
  }

  // Sets the kernel's wait for this direction, when it differs from the one in force.
  bool Bound(int option, std::chrono::milliseconds timeout, std::chrono::milliseconds& current) {
    if (timeout == current) return true;
    const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(timeout).count();
    const timeval value{static_cast<time_t>(micro / 1000000),
                        static_cast<suseconds_t>(std::max<long long>(micro % 1000000, 1))};
    if (setsockopt(fd_, SOL_SOCKET, option, &value, sizeof value) != 0) return false;
    current = timeout;
    return true;
  }

  int fd_;
  std::chrono::milliseconds sendTimeout_{-1};
  std::chrono::milliseconds receiveTimeout_{-1};
};

bool IsLoopback(int fd) {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
  if (peer.ss_family == AF_INET) {
    const auto* address = reinterpret_cast<const sockaddr_in*>(&peer);
    return (ntohl(address->sin_addr.s_addr) >> 24) == 127;
  }
  if (peer.ss_family == AF_INET6) {
    const auto* address = reinterpret_cast<const sockaddr_in6*>(&peer);
    return IN6_IS_ADDR_LOOPBACK(&address->sin6_addr);
  }
  return false;
}

int ConnectOne(const addrinfo& address, Clock::time_point deadline) {
  const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                        address.ai_protocol);
  if (fd < 0) return -1;
  if (connect(fd, address.ai_addr, address.ai_addrlen) != 0 && errno != EINPROGRESS) {
    close(fd);
    return -1;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (Wait(fd, POLLOUT, deadline) != Io::Ok ||
      getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
    close(fd);
    return -1;
  }
  // Each command is one small write followed by a wait for the reply: sent at once, it does
  // not sit waiting for the server's delayed acknowledgement.
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

Connection ConnectTcp(const std::string& host, std::uint32_t port,
                      std::chrono::milliseconds timeout) {
  if (port == 0 || port > 65535) return {ConnectStatus::NotConnected, nullptr};
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (host.empty() || getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) {
    return {ConnectStatus::NotResolved, nullptr};
  }
  const Clock::time_point deadline = Clock::now() + timeout;
  int fd = -1;
  for (const addrinfo* address = found; address != nullptr && fd < 0; address = address->ai_next) {
    fd = ConnectOne(*address, deadline);
  }
  freeaddrinfo(found);
  if (fd < 0) return {ConnectStatus::NotConnected, nullptr};
  return {ConnectStatus::Connected, std::make_unique<SocketStream>(fd), IsLoopback(fd), fd};
}

std::string LocalHostName() {
  char name[129] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

}  // namespace tarnwick
