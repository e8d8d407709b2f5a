// Opening a read-only IMAP session on the administrator's mailbox, as the incoming-mail
// settings describe it: connected, encrypted as asked, logged in.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/incoming/imap_session.h"
#include "core/network/socket_stream.h"
#include "core/store/common_settings.h"

namespace tarnwick {

struct IncomingSettings {
  std::string server;  // CP932, as stored
  std::uint32_t port = 993;
  SmtpSecurity security = SmtpSecurity::Tls;
  std::string user;
  std::string password;
  std::string folder = "INBOX";
  std::chrono::milliseconds timeout = std::chrono::minutes(1);
  // How long the whole session may last, login included; none when unset.
  std::optional<std::chrono::milliseconds> sessionLimit;
};

IncomingSettings ReadIncomingSettings(const CommonSettings& common);

struct ImapLogin {
  Connection connection;                 // owns the stream the session speaks over
  std::unique_ptr<ImapSession> session;  // logged in; null on failure
  std::string failure;                   // why not, for the user (UTF-8)
};

// A password crosses the network only encrypted, unless the server is this machine.
ImapLogin LogInToImap(const IncomingSettings& settings);

}  // namespace tarnwick
