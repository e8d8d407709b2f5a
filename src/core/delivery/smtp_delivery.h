// One delivery run over SMTP: one connection, one transaction per queued mail.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/compose/queue_reader.h"
#include "core/delivery/smtp_session.h"
#include "core/delivery/stop_signal.h"
#include "core/network/socket_stream.h"
#include "core/store/common_settings.h"

namespace tarnwick {

struct SmtpSettings {
  std::string server;
  std::uint32_t port = 25;
  std::string heloName;
  SmtpTimeouts timeouts;
  SmtpSecurity security = SmtpSecurity::None;
  bool authenticate = false;
  std::string user;
  std::string password;
  bool extended = false;  // EHLO and pipelining even without encryption or login
};

// What went wrong in a run, for the report at its end. The texts are UTF-8, for the user.
struct DeliveryReport {
  std::string runFailure;                 // the run ended before or between the mails
  std::vector<std::string> mailFailures;  // one per mail: empty when it was delivered
  std::vector<StepResult> mailResults;    // SMTP: one per mail, what its last step came to
  std::string lastError;                  // the most recent failure of any kind
};

using Connector = std::function<Connection(const SmtpSettings&)>;
// Called on each mail as soon as the server has taken it, before the next one starts.
using DeliveredHandler = std::function<void(QueuedMail&)>;

// The connector of a real run: TCP to the configured server and port.
Connection ConnectToServer(const SmtpSettings& settings);

// What the report says of a run stopped before its end.
inline constexpr char kStoppedText[] = "送信を中止しました。残りのﾒｰﾙは送信していません";

// Connects with `connect` and delivers the mails in order, marking each one delivered. A failure
// before the mail transactions ends the run; a failed mail leaves the connection to the next.
// A stop ends the run before the next mail; the rest stay queued.
void SmtpDelivery(std::vector<QueuedMail>& mails, const SmtpSettings& settings,
                  const Connector& connect, const DeliveredHandler& delivered,
                  DeliveryReport& report, StopSignal* stop = nullptr);

// One transaction for one mail file: done when the server took it.
// The mail's title is taken from the content read for it.
StepResult SendOneMail(SmtpSession& session, QueuedMail& mail);

}  // namespace tarnwick
