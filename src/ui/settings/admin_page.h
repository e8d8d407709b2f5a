// The administrator's own address: what a list added in the window starts with.
#pragma once

#include "ui/settings/settings_page.h"

class QGridLayout;
class QLineEdit;

namespace tarnwick {

class AdminPage : public SettingsPage {
 public:
  AdminPage();

  // The page's row at `row`; `row` ends past it.
  void AddRows(QGridLayout& grid, int& row);

  void Load(const CommonSettings& settings) override;
  PageOutcome Store(CommonSettings& settings) const override;

 private:
  QLineEdit* address_;
};

}  // namespace tarnwick
