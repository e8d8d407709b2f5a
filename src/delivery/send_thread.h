// The delivery thread: runs one delivery of the collected queue while the window stays usable,
// and tells the window of each delivered mail and of the end, waiting until it has handled each.
#pragma once

#include <QString>
#include <QThread>
#include <vector>

#include "delivery/delivery_lock.h"
#include "delivery/delivery_run.h"

namespace tarnwick {

class CSendThread : public QThread {
 public:
  // `window` receives WM_SENDFINISH; the lock is held until the thread object goes.
  CSendThread(QObject* window, SettingsStore store, MailerKind kind, std::vector<QueuedMail> mails,
              DeliveryLock lock);

  // After the thread has finished: what failed, for the user; empty when all went out.
  const QString& report() const { return report_; }

 protected:
  void run() override;

 private:
  QObject* window_;
  SettingsStore store_;
  MailerKind kind_;
  std::vector<QueuedMail> mails_;
  DeliveryLock lock_;
  QString report_;
};

}  // namespace tarnwick
