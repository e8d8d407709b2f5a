// "config設定": the five-page editor of a Majordomo list configuration file, and the way into
// it from the config plate for both server kinds.
#pragma once

#include <QDialog>
#include <set>
#include <vector>

#include "core/config/majordomo_config.h"
#include "core/store/mailing_list.h"

class QTabWidget;

namespace tarnwick {

class CConfigPage;

class CConfigSheet : public QDialog {
 public:
  explicit CConfigSheet(MajordomoConfig& record, QWidget* parent = nullptr);

  void accept() override;

 private:
  void OnTabChanged(int index);

  QTabWidget* tabs_;
  std::vector<CConfigPage*> pages_;
  int shown_ = 0;  // the page on display, stored into the record when it is left
};

// Majordomo: edits the file in the sheet and saves it on OK. FML: opens it with the desktop.
void EditConfigFile(ServerKind serverKind, const QString& path, QWidget* parent);

}  // namespace tarnwick
