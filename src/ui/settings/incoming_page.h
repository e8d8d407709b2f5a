// Where the servers' replies arrive: the administrator's mailbox, read over IMAP.
#pragma once

#include "ui/settings/settings_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;

namespace tarnwick {

class IncomingPage : public SettingsPage {
 public:
  IncomingPage();

  // The page's controls in their frame, for the host to place.
  QGroupBox* box() const { return box_; }

  void Load(const CommonSettings& settings) override;
  PageOutcome Store(CommonSettings& settings) const override;

 private:
  QLineEdit* server_;
  QLineEdit* port_;
  QComboBox* security_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* folder_;
  QCheckBox* onStart_;
  QGroupBox* box_;
};

}  // namespace tarnwick
