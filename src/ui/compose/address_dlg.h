// The small dialog that asks for one member address ("ｱﾄﾞﾚｽ"). An address the list's server
// would not take is refused at once, with the reason, and the dialog keeps it for mending.
#pragma once

#include <QDialog>
#include <string>

#include "core/store/mailing_list.h"

class QLineEdit;

namespace tarnwick {

class CAddressDlg : public QDialog {
 public:
  explicit CAddressDlg(ServerKind serverKind, QWidget* parent = nullptr);

  // After OK: the address as typed, in CP932.
  const std::string& address() const { return address_; }

  void accept() override;

 private:
  ServerKind serverKind_;
  QLineEdit* edit_;
  std::string address_;
};

}  // namespace tarnwick
