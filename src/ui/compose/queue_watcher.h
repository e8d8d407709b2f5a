// Watches the mail box folder and the lists' queue folders, so mails queued or removed by
// another program (tarnwick-cli compose) show in the open window. Changes come in bursts (a
// scratch file, its rename, the folder's sync), so they are told once the folders have been
// quiet for a moment.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <string>

namespace tarnwick {

class MailingListRegister;

class QueueWatcher : public QObject {
  Q_OBJECT

 public:
  explicit QueueWatcher(QObject* parent = nullptr);

  // Watches these folders instead of the ones before: the mail box and the queue folders of the
  // lists that exist now (a folder made later is seen as a change of the mail box, and watched
  // from the next call).
  void Watch(const std::string& mailBox, const MailingListRegister& lists);

 signals:
  void changed();

 private:
  QFileSystemWatcher watcher_;
  QTimer quiet_;
};

}  // namespace tarnwick
