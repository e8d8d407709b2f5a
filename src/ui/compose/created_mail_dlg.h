// "作成済みﾒｰﾙ操作": the command mails queued for one list, to review, open or delete before
// they are sent. Each row names the mail (title, list, time made, file); the selected mail is
// shown below as it will be sent, its passwords hidden unless asked for.
#pragma once

#include <QDialog>
#include <vector>

#include "core/compose/mail_queue.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tarnwick {

class CCreatedMailDlg : public QDialog {
 public:
  // The list's mails are found in its folders; deletes through the queue, which tells whoever
  // counts.
  CCreatedMailDlg(const MailingList& list, ListFolders folders, MailQueue& queue,
                  QWidget* parent = nullptr);

 private:
  void AddRows();
  QLayout* PreviewArea();
  std::vector<int> SelectedRows() const;
  void OpenSelected();
  void DeleteSelected();
  bool ConfirmDelete(const std::vector<int>& rows);
  void UpdateButtons();
  void ShowPreview();

  const MailingList& list_;
  const ListFolders folders_;
  MailQueue& queue_;
  std::vector<QueueEntry> mails_;  // in the order of the rows
  QTreeWidget* titles_;
  QPlainTextEdit* preview_;
  QCheckBox* showPasswords_;
  QPushButton* editButton_;
  QPushButton* deleteButton_;
};

}  // namespace tarnwick
