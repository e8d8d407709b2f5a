// The main window: the register of mailing lists with the selected list's data, and the buttons
// that add, edit and delete lists. The register is read at start and written back whole when the
// window closes.
#pragma once

#include <QMainWindow>
#include <string>

#include "store/settings_store.h"

class QAction;
class QLineEdit;
class QListView;
class QPushButton;

namespace tarnwick {

class RegisterModel;
struct MailingList;

class CMainDialog : public QMainWindow {
 public:
  explicit CMainDialog(SettingsStore store, QWidget* parent = nullptr);

  // The selected list, or nullptr.
  MailingList* SelectedList();

  void AddList();
  void EditList();
  void DeleteList();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildRegisterColumn();
  QWidget* BuildDetailsColumn();
  void BuildMenus();
  void OnSelectionChanged();
  void Select(int row);
  void ShowListInfo();

  SettingsStore store_;
  std::string mailBox_;  // the queue's root folder, read once at start
  RegisterModel* model_ = nullptr;
  int selected_ = -1;  // row of the selected list, -1 when none

  QListView* registerView_ = nullptr;
  QLineEdit* nameField_ = nullptr;
  QLineEdit* kindField_ = nullptr;
  QLineEdit* addressField_ = nullptr;
  QLineEdit* adminField_ = nullptr;
  QPushButton* editButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QAction* editAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
};

}  // namespace tarnwick
