// " 管理情報 ": the selected list's name, server kind and addresses, shown and not edited, with
// the register's buttons 追加, 編集 and 削除.
#pragma once

#include <QGroupBox>

#include "core/store/mailing_list.h"

class QLineEdit;
class QPushButton;

namespace tarnwick {

class ListDetails : public QGroupBox {
 public:
  ListDetails();

  QPushButton* addButton() const { return addButton_; }
  QPushButton* editButton() const { return editButton_; }
  QPushButton* deleteButton() const { return deleteButton_; }

  // Empty for none. A run reports its mails against their lists: none may go while it is under
  // way, so 削除 waits for its end.
  void Show(const MailingList* list, bool sending);
  void SetSending(bool sending);

 private:
  QLineEdit* nameField_;
  QLineEdit* kindField_;
  QLineEdit* addressField_;
  QLineEdit* adminField_;
  QPushButton* addButton_;
  QPushButton* editButton_;
  QPushButton* deleteButton_;
  bool selected_ = false;
};

}  // namespace tarnwick
