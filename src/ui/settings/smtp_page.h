// The SMTP server that direct delivery speaks to: its name, port, encryption, dialogue and login.
#pragma once

#include "ui/settings/settings_page.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace tarnwick {

class SmtpPage : public SettingsPage {
 public:
  SmtpPage();

  // The page's rows, from `row` on; `row` ends past them.
  void AddRows(QGridLayout& grid, int& row);

  void Load(const CommonSettings& settings) override;
  PageOutcome Store(CommonSettings& settings) const override;
  void EnableFor(bool directSmtp) override;

 private:
  void SetTips();
  void EnableLogin();
  void OnSecurityChanged(int index);

  bool directSmtp_ = true;
  bool portTyped_ = false;  // the user edited the port here: an encryption won't replace it

  QLabel* serverLabel_;
  QLineEdit* server_;
  QLabel* portLabel_;
  QWidget* portField_;  // the port field with its arrows
  QLineEdit* port_;
  QLabel* securityLabel_;
  QComboBox* security_;
  QCheckBox* extended_;
  QCheckBox* authenticate_;
  QLabel* userLabel_;
  QLineEdit* user_;
  QLabel* passwordLabel_;
  QLineEdit* password_;
};

}  // namespace tarnwick
