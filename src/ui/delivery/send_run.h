// One delivery of the collected queue while the window stays usable. The run has its own copies
// of what it sends and tells the window of each delivered mail and of its end, so it never waits
// on the window, and the window's end never waits on events.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "core/delivery/delivery_lock.h"
#include "core/delivery/delivery_run.h"

namespace tarnwick {

class BackgroundTask;

class SendRun : public QObject {
  Q_OBJECT

 public:
  // Starts at once; the lock is held until the run has ended.
  SendRun(SettingsStore store, MailerKind kind, std::vector<QueuedMail> mails, DeliveryLock lock,
          QObject* parent = nullptr);
  ~SendRun() override;

  // Ends the run early: before the next mail, and at once where it waits on the server, except
  // for the reply that says whether the mail in flight was taken.
  void Stop();

  // After finished: what failed, for the user; empty when all went out.
  const QString& report() const { return report_; }
  // After finished: how many mails the server (or the outside mailer) refused.
  int failed() const { return failed_; }

 signals:
  void mailDelivered();
  // Emitted once, when the last mail is done (delivered files may still be leaving the queue).
  void runEnded();
  // The run is over and its lock given back.
  void finished();

 private:
  BackgroundTask* task_ = nullptr;  // the run under way, if any
  QString report_;
  int failed_ = 0;
};

}  // namespace tarnwick
