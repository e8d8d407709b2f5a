// A TCP connection to the mail server.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "core/network/byte_stream.h"

namespace tarnwick {

enum class ConnectStatus { Connected, NotResolved, NotConnected };

struct Connection {
  ConnectStatus status = ConnectStatus::NotConnected;
  std::unique_ptr<ByteStream> stream;
  bool loopback = false;  // the server is on this machine
  int socket = -1;        // the connection's socket, for a stop to shut it down; -1 for none
};

// Connects to the host (a dotted address or a name; each address it resolves to is tried in
// turn) within the timeout.
Connection ConnectTcp(const std::string& host, std::uint32_t port,
                      std::chrono::milliseconds timeout);

// The machine's host name for HELO; "localhost" when it has none.
std::string LocalHostName();

}  // namespace tarnwick
