// "作成済みﾒｰﾙ操作": the command mails queued for one list, by title, to open or delete before
// they are sent.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "compose/queue_reader.h"

class QListWidget;
class QPushButton;

namespace tarnwick {

class CCreatedMailDlg : public QDialog {
 public:
  // Lowers the list's MailCount for each mail deleted.
  CCreatedMailDlg(MailingList& list, const std::string& mailBox, QWidget* parent = nullptr);

 private:
  void OpenSelected();
  void DeleteSelected();
  void UpdateButtons();

  MailingList& list_;
  std::vector<QueueEntry> mails_;  // in the order of the title list
  QListWidget* titles_;
  QPushButton* editButton_;
  QPushButton* deleteButton_;
};

}  // namespace tarnwick
