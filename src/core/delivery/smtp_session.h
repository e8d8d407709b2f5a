// One SMTP dialogue, a step per function. Each step returns what it came to: done, or where and
// how it failed, with the server's own reply; StepText forms the user's text from it, once.
#pragma once

#include <chrono>
#include <string>

#include "core/delivery/mail_content.h"
#include "core/delivery/smtp_reply.h"
#include "core/delivery/stop_signal.h"
#include "core/network/byte_stream.h"

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
  bool pipelining = false;  // RFC 2920
};

struct StepResult {
  enum class Outcome {
    Done,
    NotSent,  // the command could not be written: the connection is gone
    NoReply,  // no whole reply came
    Refused,  // the server answered with another code than the step needs
    Failed,   // another failure, said by `fixed`
  };
  Outcome outcome = Outcome::Done;
  std::string step;     // the step as the texts name it: "HELO", "RCPT TO", "データ送信"
  std::string command;  // Refused: the command as sent
  int expected = 0;     // Refused: the code the step needs
  Reply reply;          // Refused: the server's reply, its own words included
  std::string fixed;    // Failed: the text that says what went wrong

  bool done() const { return outcome == Outcome::Done; }

  // A step whose connection is gone (NotSent, NoReply).
  static StepResult Lost(Outcome outcome, std::string step) {
    StepResult result;
    result.outcome = outcome;
    result.step = std::move(step);
    return result;
  }
  static StepResult Refusal(std::string step, std::string command, int expected, Reply reply) {
    StepResult result = Lost(Outcome::Refused, std::move(step));
    result.command = std::move(command);
    result.expected = expected;
    result.reply = std::move(reply);
    return result;
  }
  static StepResult Fail(std::string text) {
    StepResult result;
    result.outcome = Outcome::Failed;
    result.fixed = std::move(text);
    return result;
  }
};

// The user's text for a step that failed; empty for one that was done.
std::string StepText(const StepResult& result);

class SmtpSession {
 public:
  SmtpSession(ByteStream& stream, const SmtpTimeouts& timeouts)
      : stream_(&stream), replies_(stream), timeouts_(timeouts) {}

  StepResult Greeting();
  StepResult Helo(const std::string& hostName);
  StepResult Ehlo(const std::string& hostName, ServerFeatures& features);
  // Asks to start TLS; once it is granted, the caller starts it and hands the encrypted stream
  // over with UseStream.
  StepResult StartTls();
  void UseStream(ByteStream& stream);
  // AUTH PLAIN when offered, else AUTH LOGIN.
  StepResult Authenticate(const std::string& user, const std::string& password,
                          const ServerFeatures& features);
  StepResult MailFrom(const std::string& sender);
  StepResult RcptTo(const std::string& recipient);
  StepResult Data();
  // MAIL FROM, RCPT TO and DATA, up to the server's go-ahead for the content: one after the
  // other, or, once pipelining is on, written together with their replies read after.
  StepResult BeginMail(const std::string& sender, const std::string& recipient);
  // For a server whose EHLO reply offered PIPELINING.
  void UsePipelining() { pipelining_ = true; }
  // The content, the end of data and its reply.
  StepResult Content(const WireContent& content);
  // Ends a transaction that a refused mail left open, so the next mail's MAIL FROM is not taken
  // for a nested one. Nothing when no transaction is open or the connection is broken.
  StepResult Reset();
  StepResult Quit();
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
  StepResult Command(const std::string& command, const Step& step, Reply* reply = nullptr);
  StepResult PipelinedBegin(const std::string& sender, const std::string& recipient);
  // One exchange of a login: the server must answer with `accepted`.
  bool AuthStep(const std::string& line, int accepted);

  ByteStream* stream_;
  ReplyReader replies_;
  SmtpTimeouts timeouts_;
  bool transactionOpen_ = false;  // MAIL FROM was taken, and the mail has not ended
  bool broken_ = false;           // a send or receive failed: the connection is of no more use
  bool pipelining_ = false;
  StopSignal* stop_ = nullptr;
};

}  // namespace tarnwick
