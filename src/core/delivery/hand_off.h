// Handing each queued mail to an outside mail program, which opens its own send window with it.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/compose/queue_reader.h"
#include "core/delivery/stop_signal.h"
#include "core/store/common_settings.h"

namespace tarnwick {

// The program and its arguments that give the mail file to the mailer of this kind (1-3). Each
// argument goes to the program as it stands: a path holding quotes or blanks stays one argument.
std::vector<std::string> MailerArguments(MailerKind kind, const std::string& mailerPath,
                                         const std::string& mailFile);

struct Launch {
  bool started = false;  // the program is running: the mail counts as handed off
  bool read = false;     // the program has read the mail file, so it may be removed
};

// Starts the program and waits, at most `readWait`, until the program has read the mail
// file or has ended. Linux tells nobody when a new program is ready for its input; having read
// its file is what matters here, since the file is removed afterwards.
Launch LaunchMailer(const std::vector<std::string>& arguments,
                    const std::filesystem::path& mailFile, std::chrono::milliseconds readWait,
                    const StopSignal* stop = nullptr);

struct HandOffTimes {
  std::chrono::milliseconds readWait = std::chrono::minutes(1);
  std::chrono::milliseconds pause = std::chrono::seconds(1);
};

// Hands the mails over in order; `handedOff` is told of each one as soon as its program runs.
// A mail whose program has not read it stays queued after the run (`keep`), and says so.
// A stop ends the run before the next mail, and a wait for a mailer to read its file.
void HandOff(std::vector<QueuedMail>& mails, MailerKind kind, const std::string& mailerPath,
             const std::function<void(QueuedMail&)>& handedOff, std::vector<std::string>& failures,
             const HandOffTimes& times = {}, const StopSignal* stop = nullptr);

}  // namespace tarnwick
