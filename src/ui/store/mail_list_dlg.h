// The detail dialog of one registered list ("ML詳細"): title, list name, server kind, server
// address, administrator address and password, and for fml the command lines a mail may hold.
// It checks nothing beyond what the store can hold: empty texts are accepted, and with no kind
// chosen `Type` becomes -1.
#pragma once

#include <QDialog>

#include "core/store/mailing_list.h"

class QButtonGroup;
class QLineEdit;
class QSpinBox;

namespace tarnwick {

class CMailListDlg : public QDialog {
 public:
  explicit CMailListDlg(QWidget* parent = nullptr);

  // Shows the fields of this record the dialog edits.
  void SetList(const MailingList& list);
  // After OK: the fields as typed, in CP932; the other fields as for a new record.
  const MailingList& list() const { return list_; }

  void accept() override;

 private:
  MailingList list_;
  QLineEdit* title_;
  QLineEdit* name_;
  QLineEdit* address_;
  QLineEdit* admin_;
  QLineEdit* password_;
  QButtonGroup* kind_;
  QSpinBox* maxCommands_;
};

}  // namespace tarnwick
