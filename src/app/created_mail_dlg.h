// "作成済みﾒｰﾙ操作": the command mails queued for one list, by title, to open or delete before
// they are sent.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "compose/mail_queue.h"

class QListWidget;
class QPushButton;

namespace tarnwick {

class CCreatedMailDlg : public QDialog {
 public:
  // Deletes through the queue, which tells whoever counts.
  CCreatedMailDlg(const MailingList& list, MailQueue& queue, QWidget* parent = nullptr);

 private:
  void OpenSelected();
  void DeleteSelected();
  void UpdateButtons();

  const MailingList& list_;
  MailQueue& queue_;
  std::vector<QueueEntry> mails_;  // in the order of the title list
  QListWidget* titles_;
  QPushButton* editButton_;
  QPushButton* deleteButton_;
};

}  // namespace tarnwick
