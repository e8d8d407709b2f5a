#include "ui/delivery/send_thread.h"

namespace tarnwick {
namespace {

class SignalListener final : public DeliveryListener {
 public:
  explicit SignalListener(CSendThread& thread) : thread_(thread) {}
  void Delivered(QueuedMail&) override { emit thread_.mailDelivered(); }
  void Ended() override { emit thread_.runEnded(); }

 private:
  CSendThread& thread_;
};

}  // namespace

CSendThread::CSendThread(SettingsStore store, MailerKind kind, std::vector<QueuedMail> mails,
                         DeliveryLock lock)
    : store_(std::move(store)), kind_(kind), mails_(std::move(mails)), lock_(std::move(lock)) {}

void CSendThread::run() {
  SignalListener listener(*this);
  DeliveryReport report = RunDelivery(store_, kind_, mails_, ConnectToServer, listener, &stop_);
  report_ = QString::fromStdString(FormatReport(report, mails_));
}

}  // namespace tarnwick
