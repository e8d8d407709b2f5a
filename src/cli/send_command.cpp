#include <atomic>
#include <chrono>
#include <csignal>
#include <iomanip>

#include "cli/cli_commands.h"
#include "core/compose/command_names.h"
#include "core/compose/queue_reader.h"
#include "core/delivery/delivery_lock.h"
#include "core/delivery/delivery_run.h"
#include "core/platform/text_codec.h"

namespace tarnwick::cli {
namespace {

// The terminal learns of each mail from the report at the end.
class Quiet final : public DeliveryListener {
 public:
  void Delivered(QueuedMail&) override {}
  void Ended() override {}
};

// A failure text on one line: its own line breaks (and a command's CR LF) become spaces.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

// Ctrl+C during a run stops it as the window's 中止 does: the mail in flight is finished or left
// queued, the report is printed, and the delivered files leave the queue.
class InterruptStops {
 public:
  explicit InterruptStops(StopSignal& stop) {
    current_ = &stop;
    struct sigaction action {};
    action.sa_handler = [](int) { current_.load()->Request(); };
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &saved_);
  }
  ~InterruptStops() {
    sigaction(SIGINT, &saved_, nullptr);
    current_ = nullptr;
  }
  InterruptStops(const InterruptStops&) = delete;
  InterruptStops& operator=(const InterruptStops&) = delete;

 private:
  static inline std::atomic<StopSignal*> current_{nullptr};
  struct sigaction saved_ {};
};

}  // namespace

Outcome Send(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (!args.empty()) return Failure{"send takes no arguments", kBadArguments};
  const std::string mailBox = ReadMailBox(store);
  const LockAttempt lock = DeliveryLock::TryAcquire(mailBox);
  if (lock.busy) return Failure{"another run is sending the queue", kFailed};
  if (!lock.lock) return Failure{lock.failure, kFailed};
  const MailerKind kind = ToMailerKind(CommonSettings::Load(store).Number(kMailer));
  // The queue is read once, here: the lists' counts are not needed.
  std::vector<QueuedMail> mails = CollectQueue(mailBox, LoadRegister(store));
  Quiet quiet;
  StopSignal stop;
  const InterruptStops interrupt(stop);
  const auto start = std::chrono::steady_clock::now();
  DeliveryReport report = RunDelivery(store, kind, mails, ConnectToServer, quiet, &stop);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

  std::size_t delivered = 0;
  for (std::size_t i = 0; i < mails.size(); ++i) {
    const std::string& failure = report.mailFailures[i];
    const bool sent = mails[i].delivered && failure.empty();
    delivered += sent ? 1 : 0;
    out << mails[i].path.filename().string() << '\t' << CommandTitleText(TitleOf(mails[i])) << '\t'
        << (sent              ? "delivered"
            : failure.empty() ? "not delivered"
                              : OneLine(failure))
        << '\n';
  }
  if (!report.runFailure.empty()) out << OneLine(report.runFailure) << '\n';
  out << delivered << " delivered, " << mails.size() - delivered << " not delivered in "
      << std::fixed << std::setprecision(3) << took.count() << " s\n";
  if (delivered == mails.size() && report.runFailure.empty()) return std::nullopt;
  return Failure{"not every mail was delivered", kFailed};
}

}  // namespace tarnwick::cli
