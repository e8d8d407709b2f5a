// The delivery thread: runs one delivery of the collected queue while the window stays usable.
// It has its own copies of what it sends and tells the window of each delivered mail and of
// the end by queued signals, so it never waits on the window, and the window's end never
// waits on events.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <vector>

#include "core/delivery/delivery_lock.h"
#include "core/delivery/delivery_run.h"
#include "core/delivery/stop_signal.h"

namespace tarnwick {

class CSendThread : public QThread {
  Q_OBJECT

 public:
  // The lock is held until the thread object goes.
  CSendThread(SettingsStore store, MailerKind kind, std::vector<QueuedMail> mails,
              DeliveryLock lock);

  // Ends the run early: before the next mail, and at once where it waits on the server, except
  // for the reply that says whether the mail in flight was taken.
  void Stop() { stop_.Request(); }

  // After the thread has finished: what failed, for the user; empty when all went out.
  const QString& report() const { return report_; }

 signals:
  void mailDelivered();
  // Emitted once, when the last mail is done (delivered files may still be leaving the queue).
  void runEnded();

 protected:
  void run() override;

 private:
  SettingsStore store_;
  MailerKind kind_;
  std::vector<QueuedMail> mails_;
  DeliveryLock lock_;
  StopSignal stop_;
  QString report_;
};

}  // namespace tarnwick
