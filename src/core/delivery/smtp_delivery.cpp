#include "core/delivery/smtp_delivery.h"

#include "core/network/tls_stream.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

void Record(DeliveryReport& report, std::string failure, std::string* into) {
  report.lastError = failure;
  if (into != nullptr) *into = std::move(failure);
}

std::string LongLineFailure(std::size_t line) {
  return std::to_string(line) + "行目が" + std::to_string(kMaxSmtpLineBytes) +
         "バイトを超えているため送信できません";
}

// Puts TLS under the connection, from now on.
StepResult Encrypt(Connection& connection, const SmtpSettings& settings) {
  TlsStart tls = StartTls(std::move(connection.stream), Cp932ToUtf8(settings.server),
                          settings.timeouts.command);
  connection.stream = std::move(tls.stream);
  return tls.failure.empty() ? StepResult() : StepResult::Fail(tls.failure);
}

// STARTTLS and AUTH after a granted EHLO, where they are asked for.
StepResult Secure(SmtpSession& session, Connection& connection, const SmtpSettings& settings,
                  ServerFeatures& features) {
  StepResult failure;
  if (settings.security == SmtpSecurity::StartTls) {
    // Never fall back to plain text when encryption was asked for.
    if (!features.startTls) return StepResult::Fail("サーバーがSTARTTLSに対応していません");
    failure = session.StartTls();
    if (failure.done()) failure = Encrypt(connection, settings);
    if (!failure.done()) return failure;
    session.UseStream(*connection.stream);
    failure = session.Ehlo(settings.heloName, features);
  }
  if (!failure.done() || !settings.authenticate) return failure;
  // A password crosses the network only encrypted, unless the server is this machine.
  if (settings.security == SmtpSecurity::None && !connection.loopback) {
    return StepResult::Fail("暗号化しない接続ではﾊﾟｽﾜｰﾄﾞを送りません");
  }
  return session.Authenticate(settings.user, settings.password, features);
}

// HELO for a plain session, as always; EHLO, STARTTLS and AUTH where they are asked for.
StepResult Introduce(SmtpSession& session, Connection& connection, const SmtpSettings& settings) {
  const bool plain = settings.security == SmtpSecurity::None && !settings.authenticate;
  if (plain && !settings.extended) return session.Helo(settings.heloName);
  ServerFeatures features;
  StepResult failure = session.Ehlo(settings.heloName, features);
  // A server that knows no EHLO still takes HELO, when nothing needs the extensions.
  if (plain && failure.outcome == StepResult::Outcome::Refused) {
    return session.Helo(settings.heloName);
  }
  if (failure.done()) failure = Secure(session, connection, settings, features);
  if (failure.done() && settings.extended && features.pipelining) session.UsePipelining();
  return failure;
}

bool Stopped(const StopSignal* stop) {
  return stop != nullptr && stop->requested();
}

// Lets a stop shut the connection's socket down while it is open.
struct SocketWatch {
  SocketWatch(StopSignal* stop, int socket) : stop(stop) {
    if (stop != nullptr) stop->Watch(socket);
  }
  ~SocketWatch() {
    if (stop != nullptr) stop->Unwatch();
  }
  SocketWatch(const SocketWatch&) = delete;
  SocketWatch& operator=(const SocketWatch&) = delete;
  StopSignal* stop;
};

}  // namespace

Connection ConnectToServer(const SmtpSettings& settings) {
  return ConnectTcp(Cp932ToUtf8(settings.server), settings.port, settings.timeouts.command);
}

StepResult SendOneMail(SmtpSession& session, QueuedMail& mail) {
  const std::optional<std::string> bytes = ReadMailFile(mail.path);
  if (!bytes) return StepResult::Fail("ファイル(" + mail.path.string() + ")を開けません");
  mail.title = MailTitle(*bytes).value_or("");
  const Envelope envelope = ScanEnvelope(*bytes);
  if (!envelope.usable()) return StepResult::Fail("宛先か自分のアドレスを取得できませんでした");
  // Servers cut, refuse or drop a longer line: the mail is not sent rather than changed.
  const WireContent content = EncodeContent(*bytes);
  if (content.longLine != 0) return StepResult::Fail(LongLineFailure(content.longLine));
  if (StepResult failure = session.BeginMail(envelope.sender, envelope.recipient);
      !failure.done()) {
    return failure;
  }
  return session.Content(content);
}

namespace {

// Sends the mails one after another on the open session. False when the connection broke: no
// QUIT is worth sending then.
bool SendEach(SmtpSession& session, std::vector<QueuedMail>& mails,
              const DeliveredHandler& delivered, DeliveryReport& report, StopSignal* stop) {
  for (std::size_t i = 0; i < mails.size(); ++i) {
    if (Stopped(stop)) {
      report.runFailure = kStoppedText;
      break;
    }
    const StepResult failure = SendOneMail(session, mails[i]);
    report.mailResults[i] = failure;
    if (session.broken()) {
      // Every later mail would wait out its timeouts on a connection that is gone: they stay
      // queued, and the report says why once.
      Record(report, StepText(failure), &report.mailFailures[i]);
      if (Stopped(stop)) {
        report.runFailure = kStoppedText;
      } else if (i + 1 < mails.size()) {
        report.runFailure = "接続が切れたため、残りのﾒｰﾙは送信していません";
      }
      return false;
    }
    if (!failure.done()) {
      Record(report, StepText(failure), &report.mailFailures[i]);
      // The next mail goes on the same connection; a server would refuse its MAIL FROM inside
      // the transaction this one left open.
      if (const StepResult reset = session.Reset(); !reset.done()) {
        Record(report, StepText(reset), nullptr);
      }
      continue;
    }
    mails[i].delivered = true;
    delivered(mails[i]);
  }
  return true;
}

}  // namespace

void SmtpDelivery(std::vector<QueuedMail>& mails, const SmtpSettings& settings,
                  const Connector& connect, const DeliveredHandler& delivered,
                  DeliveryReport& report, StopSignal* stop) {
  report.mailFailures.assign(mails.size(), std::string());
  report.mailResults.assign(mails.size(), StepResult());
  if (settings.server.empty()) {
    Record(report, "SMTPｻｰﾊﾞが設定されていません", &report.runFailure);
    return;
  }
  Connection connection = connect(settings);
  if (connection.status == ConnectStatus::NotResolved) {
    Record(report, "SMTPｻｰﾊﾞ(" + Cp932ToUtf8(settings.server) + ")が見つかりません",
           &report.runFailure);
    return;
  }
  if (connection.status != ConnectStatus::Connected) {
    Record(report, "ホストへの接続に失敗しました", &report.runFailure);
    return;
  }
  // Declared after the connection, so the socket is let go before it is closed.
  const SocketWatch watch(stop, connection.socket);
  StepResult failure;
  if (settings.security == SmtpSecurity::Tls) failure = Encrypt(connection, settings);
  if (!failure.done()) return Record(report, StepText(failure), &report.runFailure);
  SmtpSession session(*connection.stream, settings.timeouts);
  session.SetStop(stop);
  failure = session.Greeting();
  if (failure.done()) failure = Introduce(session, connection, settings);
  if (!failure.done()) {
    return Record(report, Stopped(stop) ? kStoppedText : StepText(failure), &report.runFailure);
  }
  if (!SendEach(session, mails, delivered, report, stop)) return;
  // A failed QUIT after the mails is noted, but changes nothing about what was delivered.
  if (failure = session.Quit(); !failure.done()) Record(report, StepText(failure), nullptr);
}

}  // namespace tarnwick
