// The row under the plate: 作成, 編集 and 送信, the progress and 中止 of a send run, and the counts
// of queued (or, during a run, sent) and failed mails. It runs the delivery and says its end.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "core/compose/mail_queue.h"
#include "core/store/mailing_list_register.h"
#include "core/store/settings_store.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnwick {

class SendRun;

class SendControls : public QWidget {
  Q_OBJECT

 public:
  SendControls();
  ~SendControls() override;

  QPushButton* createButton() const { return createButton_; }
  QPushButton* createdButton() const { return createdButton_; }
  QPushButton* sendButton() const { return sendButton_; }

  bool sending() const { return run_ != nullptr; }
  // The queued mails of every list.
  void SetTotal(int total);
  // The selected list's queued mails (-1 without a list) over the total; during a run the count
  // shows the run's progress instead.
  void ShowSelected(int queued);
  void ShowFailed(int failed);
  // The held posts and requests still 保留中.
  void ShowHeld(int held);

  // Delivers every queued mail of `lists`; false when it could not start (the user was told).
  bool Start(const SettingsStore& store, const MailQueue& queue, const MailingListRegister& lists);
  void Stop();
  // After a run: where it went, how many mails went, how many the server refused and how many
  // are still queued.
  QString Outcome() const;
  // The server and port, or the outside mailer, of the run (the last one after it ended).
  const QString& destination() const { return destination_; }

 signals:
  // The run is over; `report` says what failed, empty when all went out.
  void finished(const QString& report);

 private:
  void Delivered();
  void RunEnded();
  void RunFinished();
  void ShowCount(int count);

  QPushButton* createButton_;
  QPushButton* createdButton_;
  QPushButton* sendButton_;
  QProgressBar* progress_;
  QPushButton* stopButton_;
  QLabel* countLabel_;
  QLabel* countText_;
  QLabel* failedText_;
  QLabel* heldText_;
  std::unique_ptr<SendRun> run_;  // the delivery run under way, if any
  int total_ = 0;
  int sentSoFar_ = 0;
  int failed_ = 0;       // mails of the last run the server refused
  QString destination_;  // the server and port, or the outside mailer, of the run
};

}  // namespace tarnwick
