// The small dialog that asks for one member address ("ｱﾄﾞﾚｽ"). It checks nothing: the text goes
// into the list as typed, an empty one included.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace tarnwick {

class CAddressDlg : public QDialog {
 public:
  explicit CAddressDlg(QWidget* parent = nullptr);

  // After OK: the address as typed, in CP932.
  const std::string& address() const { return address_; }

  void accept() override;

 private:
  QLineEdit* edit_;
  std::string address_;
};

}  // namespace tarnwick
