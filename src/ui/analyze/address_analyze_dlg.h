// "ｱﾄﾞﾚｽ解析": shows the addresses extracted from a returned mail and lets the administrator pick
// the wanted ones.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "core/analyze/address_extraction.h"
#include "core/compose/address_list.h"

class QListWidget;

namespace tarnwick {

// Extracted addresses are not thrown away without asking: true when the user agrees to close
// without adding any.
bool AgreesToAddNone(QWidget* parent);

class CAddressAnalyzeDlg : public QDialog {
 public:
  CAddressAnalyzeDlg(const QString& fileName, ExtractionMode mode, QWidget* parent = nullptr);

  // Extracts, then runs the dialog. When nothing is found it says so and ends as cancelled
  // without showing the list.
  int Run();

  // After OK: the selected addresses in list order (none when nothing was selected).
  const std::vector<std::string>& addresses() const { return addresses_; }

  void accept() override;

 private:
  void SelectAll(bool selected);

  QString fileName_;
  ExtractionMode mode_;
  AddressList found_;
  QListWidget* list_;
  std::vector<std::string> addresses_;
};

}  // namespace tarnwick
