#include "core/incoming/imap_login.h"

#include "core/network/tls_stream.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

// Puts TLS under the connection's stream; false (and the reason in `failure`) when it fails.
bool Encrypt(const IncomingSettings& settings, Connection& connection, std::string& failure) {
  TlsStart tls =
      StartTls(std::move(connection.stream), Cp932ToUtf8(settings.server), settings.timeout);
  connection.stream = std::move(tls.stream);
  failure = tls.failure;
  return failure.empty();
}

}  // namespace

IncomingSettings ReadIncomingSettings(const CommonSettings& common) {
  IncomingSettings settings;
  settings.server = common.Text(kIncomingServer);
  settings.port = common.Number(kIncomingPort);
  settings.security = static_cast<SmtpSecurity>(common.Number(kIncomingSecurity));
  settings.user = common.Text(kIncomingUser);
  settings.password = common.Text(kIncomingPassword);
  settings.folder = common.Text(kIncomingFolder);
  return settings;
}

ImapLogin LogInToImap(const IncomingSettings& settings) {
  ImapLogin login;
  if (settings.server.empty()) {
    login.failure = "受信ｻｰﾊﾞｰが設定されていません";
    return login;
  }
  const auto start = ImapSession::Clock::now();
  login.connection = ConnectTcp(Cp932ToUtf8(settings.server), settings.port, settings.timeout);
  Connection& connection = login.connection;
  if (connection.status != ConnectStatus::Connected) {
    login.failure = "受信ｻｰﾊﾞｰ(" + Cp932ToUtf8(settings.server) + ")に接続できません";
    return login;
  }
  if (settings.security == SmtpSecurity::Tls && !Encrypt(settings, connection, login.failure))
    return login;
  auto session = std::make_unique<ImapSession>(*connection.stream, settings.timeout);
  if (settings.sessionLimit) session->SetDeadline(start + *settings.sessionLimit);
  std::string failure = session->Greeting();
  if (failure.empty() && settings.security == SmtpSecurity::StartTls) {
    failure = session->StartTls();
    if (failure.empty() && !Encrypt(settings, connection, login.failure)) return login;
    session->UseStream(*connection.stream);
  }
  if (failure.empty() && settings.security == SmtpSecurity::None && !connection.loopback)
    failure = "暗号化しない接続ではﾊﾟｽﾜｰﾄﾞを送りません";
  if (failure.empty()) failure = session->Login(settings.user, settings.password);
  if (failure.empty()) {
    login.session = std::move(session);
  } else {
    login.failure = std::move(failure);
  }
  return login;
}

}  // namespace tarnwick
