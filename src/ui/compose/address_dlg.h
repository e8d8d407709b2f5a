// The small dialog that asks for member addresses ("ｱﾄﾞﾚｽ"): one typed, or many pasted (one a
// line, or separated by commas or blanks, "Name <a@b>" taken as a@b), of any size. Text in
// which the list's server would take no address is refused at once, with the reason, and the
// dialog keeps it for mending.
#pragma once

#include <QDialog>

#include "core/compose/address_text.h"

class QPlainTextEdit;

namespace tarnwick {

class CAddressDlg : public QDialog {
 public:
  explicit CAddressDlg(ServerKind serverKind, QWidget* parent = nullptr);

  // After OK: what the text gave (at least one address).
  const AddressText& text() const { return text_; }

  void accept() override;

 private:
  ServerKind serverKind_;
  QPlainTextEdit* edit_;
  AddressText text_;
};

}  // namespace tarnwick
