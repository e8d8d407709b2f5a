#include "delivery/send_thread.h"

#include <QCoreApplication>

#include "platform/window_messages.h"

namespace tarnwick {
namespace {

// Hands each notification to the window on its own thread and waits until it has been handled,
// so the window's counts change only there, in delivery order.
class WindowNotifier final : public DeliveryListener {
 public:
  explicit WindowNotifier(QObject* window) : window_(window) {}

  void Delivered(QueuedMail&) override { Send(false); }
  void Ended() override { Send(true); }

 private:
  void Send(bool end) {
    QMetaObject::invokeMethod(
        window_,
        [this, end] {
          SendFinishEvent finish(end);
          QCoreApplication::sendEvent(window_, &finish);
        },
        Qt::BlockingQueuedConnection);
  }

  QObject* window_;
};

}  // namespace

CSendThread::CSendThread(QObject* window, SettingsStore store, MailerKind kind,
                         std::vector<QueuedMail> mails, DeliveryLock lock)
    : window_(window),
      store_(std::move(store)),
      kind_(kind),
      mails_(std::move(mails)),
      lock_(std::move(lock)) {}

void CSendThread::run() {
  WindowNotifier notifier(window_);
  DeliveryReport report = RunDelivery(store_, kind_, mails_, ConnectToServer, notifier);
  // Only after the window has handled the end are the delivered files removed.
  RemoveDelivered(mails_, report);
  report_ = QString::fromStdString(FormatReport(report, mails_));
}

}  // namespace tarnwick
