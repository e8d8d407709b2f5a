// One SMTP dialogue, a step per function. Each step returns the empty text on success, or the
// failure text the user is shown for it.
#pragma once

#include <chrono>
#include <string>

#include "delivery/byte_stream.h"
#include "delivery/mail_content.h"
#include "delivery/smtp_reply.h"
#include "delivery/stop_signal.h"

namespace tarnwick {

// The waits RFC 5321 (4.5.3.2) recommends to a client.
struct SmtpTimeouts {
  std::chrono::milliseconds command = std::chrono::minutes(5);  // greeting, HELO, MAIL, RCPT
  std::chrono::milliseconds dataStart = std::chrono::minutes(2);
  std::chrono::milliseconds dataBlock = std::chrono::minutes(3);
  std::chrono::milliseconds dataEnd = std::chrono::minutes(10);
};

// What a server's EHLO reply offers.
struct ServerFeatures {
  bool startTls = false;
  bool authPlain = false;
  bool authLogin = false;
};

class SmtpSession {
 public:
  SmtpSession(ByteStream& stream, const SmtpTimeouts& timeouts)
      : stream_(&stream), replies_(stream), timeouts_(timeouts) {}

  std::string Greeting();
  std::string Helo(const std::string& hostName);
  std::string Ehlo(const std::string& hostName, ServerFeatures& features);
  // Asks to start TLS; once it is granted, the caller starts it and hands the encrypted stream
  // over with UseStream.
  std::string StartTls();
  void UseStream(ByteStream& stream);
  // AUTH PLAIN when offered, else AUTH LOGIN.
  std::string Authenticate(const std::string& user, const std::string& password,
                           const ServerFeatures& features);
  std::string MailFrom(const std::string& sender);
  std::string RcptTo(const std::string& recipient);
  std::string Data();
  // The content, the end of data and its reply.
  std::string Content(const WireContent& content);
  // Ends a transaction that a refused mail left open, so the next mail's MAIL FROM is not taken
  // for a nested one. Nothing when no transaction is open or the connection is broken.
  std::string Reset();
  std::string Quit();
  // A send or receive failed: the connection is of no more use, and nothing more is tried on it.
  bool broken() const { return broken_; }
  // A stop may cut every wait short but the one for a mail's final reply.
  void SetStop(StopSignal* stop) { stop_ = stop; }

 private:
  struct Step {
    const char* name;  // as it appears in the failure texts
    int accepted;      // 0: any reply code is accepted
    std::chrono::milliseconds timeout;
  };
  std::string Command(const std::string& command, const Step& step, Reply* reply = nullptr);
  // One exchange of a login: the server must answer with `accepted`.
  bool AuthStep(const std::string& line, int accepted);

  ByteStream* stream_;
  ReplyReader replies_;
  SmtpTimeouts timeouts_;
  bool transactionOpen_ = false;  // MAIL FROM was taken, and the mail has not ended
  bool broken_ = false;           // a send or receive failed: the connection is of no more use
  StopSignal* stop_ = nullptr;
};

// "コマンド実行に失敗しました..." with the command as sent and the two codes, then the server's own
// words, which say why.
std::string CommandFailureText(const std::string& command, int accepted, const Reply& received);

}  // namespace tarnwick
