#include "core/delivery/smtp_session.h"

#include <cstdio>

#include "core/platform/ascii.h"
#include "core/platform/base64.h"

namespace tarnwick {
namespace {

constexpr char kDataStep[] = "データ送信";

// The reply's lines as the user reads them: printable ASCII (a server's words are no Japanese
// text of ours), a few lines of a sensible length.
std::string ServerWords(const Reply& reply) {
  constexpr std::size_t kMaxLines = 5;
  constexpr std::size_t kMaxLineLength = 200;
  std::string words;
  for (std::size_t i = 0; i < reply.lines.size() && i < kMaxLines; ++i) {
    words += "\nｻｰﾊﾞｰの応答: " + std::to_string(reply.code) + " ";
    for (char c : std::string_view(reply.lines[i]).substr(0, kMaxLineLength))
      words += IsAsciiPrintable(c) ? c : '?';
  }
  return words;
}

}  // namespace

std::string StepText(const StepResult& result) {
  using enum StepResult::Outcome;
  switch (result.outcome) {
    case Done:
      return {};
    case NotSent:
      // The content of a mail is no command: its failure says so.
      return result.step == kDataStep ? "データ送信に失敗しました"
                                      : "コマンド送信(" + result.step + ")に失敗しました";
    case NoReply:
      return "応答受信(" + result.step + ")に失敗しました";
    case Refused: {
      char codes[64];
      std::snprintf(codes, sizeof codes, "\n要求コード :%4d\n応答コード :%4d", result.expected,
                    result.reply.code);
      return "コマンド実行に失敗しました\nコマンド:" + result.command + codes +
             ServerWords(result.reply);
    }
    case Failed:
      break;
  }
  return result.fixed;
}

StepResult SmtpSession::Command(const std::string& command, const Step& step, Reply* answer) {
  using enum StepResult::Outcome;
  if (stream_->Write(command, step.timeout) != Io::Ok) {
    broken_ = true;
    return StepResult::Lost(NotSent, step.name);
  }
  Reply reply = replies_.Read(step.timeout);
  if (reply.io != Io::Ok) {
    broken_ = true;
    return StepResult::Lost(NoReply, step.name);
  }
  if (step.accepted != 0 && reply.code != step.accepted) {
    return StepResult::Refusal(step.name, command, step.accepted, std::move(reply));
  }
  if (answer != nullptr) *answer = std::move(reply);
  return {};
}

StepResult SmtpSession::Greeting() {
  // Any complete reply lets the dialogue go on; its code is not looked at.
  if (replies_.Read(timeouts_.command).io != Io::Ok)
    return StepResult::Fail("ホストへの接続(応答受信)に失敗しました");
  return {};
}

StepResult SmtpSession::Helo(const std::string& hostName) {
  return Command("HELO " + hostName + "\r\n", {"HELO", 250, timeouts_.command});
}

StepResult SmtpSession::Ehlo(const std::string& hostName, ServerFeatures& features) {
  Reply reply;
  StepResult failure =
      Command("EHLO " + hostName + "\r\n", {"EHLO", 250, timeouts_.command}, &reply);
  features = {};
  for (std::size_t i = 1; i < reply.lines.size(); ++i) {
    std::string line = reply.lines[i];
    for (char& c : line)
      c = ToAsciiUpper(c);
    if (line == "STARTTLS") features.startTls = true;
    if (line == "PIPELINING") features.pipelining = true;
    if (line.starts_with("AUTH ") || line.starts_with("AUTH=")) {
      features.authPlain |=
          line.find(" PLAIN") != std::string::npos || line.find("=PLAIN") != std::string::npos;
      features.authLogin |= line.find("LOGIN") != std::string::npos;
    }
  }
  return failure;
}

StepResult SmtpSession::StartTls() {
  StepResult failure = Command("STARTTLS\r\n", {"STARTTLS", 220, timeouts_.command});
  // Anything the server sent past its answer would be read as if it came over TLS.
  if (failure.done() && replies_.HasPending())
    failure = StepResult::Fail("TLSの開始に失敗しました");
  return failure;
}

void SmtpSession::UseStream(ByteStream& stream) {
  stream_ = &stream;
  replies_.SetStream(stream);
}

bool SmtpSession::AuthStep(const std::string& line, int accepted) {
  return Command(line, {"AUTH", accepted, timeouts_.command}).done();
}

StepResult SmtpSession::Authenticate(const std::string& user, const std::string& password,
                                     const ServerFeatures& features) {
  // The failure never shows the exchange: it carries the password.
  const StepResult refused = StepResult::Fail("認証に失敗しました");
  if (features.authPlain) {
    const std::string credentials = std::string(1, '\0') + user + '\0' + password;
    return AuthStep("AUTH PLAIN " + Base64(credentials) + "\r\n", 235) ? StepResult() : refused;
  }
  if (features.authLogin) {
    const bool ok = AuthStep("AUTH LOGIN\r\n", 334) && AuthStep(Base64(user) + "\r\n", 334) &&
                    AuthStep(Base64(password) + "\r\n", 235);
    return ok ? StepResult() : refused;
  }
  return StepResult::Fail("サーバーが対応している認証方式がありません");
}

StepResult SmtpSession::MailFrom(const std::string& sender) {
  StepResult failure =
      Command("MAIL FROM: <" + sender + ">\r\n", {"MAIL FROM", 250, timeouts_.command});
  transactionOpen_ = failure.done();
  return failure;
}

StepResult SmtpSession::RcptTo(const std::string& recipient) {
  return Command("RCPT TO: <" + recipient + ">\r\n", {"RCPT TO", 250, timeouts_.command});
}

StepResult SmtpSession::Data() {
  return Command("DATA\r\n", {"DATA", 354, timeouts_.dataStart});
}

StepResult SmtpSession::BeginMail(const std::string& sender, const std::string& recipient) {
  if (pipelining_) return PipelinedBegin(sender, recipient);
  if (StepResult failure = MailFrom(sender); !failure.done()) return failure;
  if (StepResult failure = RcptTo(recipient); !failure.done()) return failure;
  return Data();
}

StepResult SmtpSession::PipelinedBegin(const std::string& sender, const std::string& recipient) {
  using enum StepResult::Outcome;
  struct Sent {
    std::string command;
    Step step;
  };
  const Sent sent[] = {
      {"MAIL FROM: <" + sender + ">\r\n", {"MAIL FROM", 250, timeouts_.command}},
      {"RCPT TO: <" + recipient + ">\r\n", {"RCPT TO", 250, timeouts_.command}},
      {"DATA\r\n", {"DATA", 354, timeouts_.dataStart}},
  };
  if (stream_->Write(sent[0].command + sent[1].command + sent[2].command, timeouts_.command) !=
      Io::Ok) {
    broken_ = true;
    return StepResult::Lost(NotSent, sent[0].step.name);
  }
  // Every reply is read, so the next mail's replies are not taken for these; the first refusal
  // is the mail's failure, as it would have been one step at a time.
  StepResult failure;
  int lastCode = 0;
  for (const Sent& command : sent) {
    Reply reply = replies_.Read(command.step.timeout);
    if (reply.io != Io::Ok) {
      broken_ = true;
      return StepResult::Lost(NoReply, command.step.name);
    }
    if (&command == &sent[0]) transactionOpen_ = reply.code == 250;
    lastCode = reply.code;
    if (reply.code != command.step.accepted && failure.done()) {
      failure = StepResult::Refusal(command.step.name, command.command, command.step.accepted,
                                    std::move(reply));
    }
  }
  // A server that said go ahead despite a refused sender or recipient gets an empty mail's end,
  // which it can only refuse: the content is never sent without its envelope.
  if (!failure.done() && lastCode == 354) {
    const StepResult end = Content(WireContent{});
    if (end.outcome == NotSent || end.outcome == NoReply) return end;
  }
  return failure;
}

StepResult SmtpSession::Content(const WireContent& content) {
  // The content and the end of data in one write: the bytes on the wire are those of a line per
  // write, and the mail does not wait on the network once per line. A write that fails has
  // lost the connection, so no RSET could follow it.
  if (stream_->Write(content.data + ".\r\n", timeouts_.dataBlock) != Io::Ok) {
    broken_ = true;
    return StepResult::Lost(StepResult::Outcome::NotSent, kDataStep);
  }
  if (stop_ != nullptr) stop_->EnterFinalReply();
  Reply reply = replies_.Read(timeouts_.dataEnd);
  if (stop_ != nullptr) stop_->LeaveFinalReply();
  if (reply.io != Io::Ok) {
    broken_ = true;
    return StepResult::Lost(StepResult::Outcome::NoReply, kDataStep);
  }
  transactionOpen_ = false;  // the end of data ends the mail, taken or not
  // A server that refuses the mail here (554, say) has not taken it: it stays queued.
  if (reply.code != 250) {
    return StepResult::Refusal(kDataStep, ".\r\n", 250, std::move(reply));
  }
  return {};
}

StepResult SmtpSession::Reset() {
  if (!transactionOpen_ || broken_) return {};
  transactionOpen_ = false;
  return Command("RSET\r\n", {"RSET", 0, timeouts_.command});
}

StepResult SmtpSession::Quit() {
  return Command("QUIT\r\n", {"QUIT", 0, timeouts_.command});
}

}  // namespace tarnwick
