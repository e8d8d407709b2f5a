// Dialling up before a direct delivery, and the connection profile that is dialled.
#pragma once

#include <string>
#include <vector>

#include "ui/settings/settings_page.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;

namespace tarnwick {

class DialUpPage : public SettingsPage {
 public:
  DialUpPage();

  // The page's rows, from `row` on; `row` ends past them.
  void AddRows(QGridLayout& grid, int& row);

  void Load(const CommonSettings& settings) override;
  PageOutcome Store(CommonSettings& settings) const override;
  void EnableFor(bool directSmtp) override;

 private:
  void EnableEntry();

  bool directSmtp_ = true;
  std::vector<std::string> entries_;  // the profiles offered, UTF-8

  QCheckBox* dialUp_;
  QLabel* entryLabel_;
  QComboBox* entry_;
};

}  // namespace tarnwick
