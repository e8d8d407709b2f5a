// The main window: the register of mailing lists with the selected list's data, the command
// tree, the plate of the chosen command, and the buttons that queue, review and send mail.
#pragma once

#include <QMainWindow>
#include <QSet>
#include <QStringList>
#include <memory>
#include <string>

#include "core/compose/mail_queue.h"
#include "core/store/settings_store.h"
#include "ui/compose/plate.h"

class QAction;
class QLineEdit;
class QListView;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnwick {

class BackgroundTask;
class ListDetails;
class PlateFrame;
class QueueWatcher;
class RegisterActions;
class RegisterModel;
class SendControls;

class CMainDialog : public QMainWindow {
 public:
  // `arguments` are the program's arguments after its name: a command word, a list title and
  // optionally a returned-mail file.
  explicit CMainDialog(SettingsStore store, const QStringList& arguments = {},
                       QWidget* parent = nullptr);
  ~CMainDialog() override;

  MailingList* SelectedList();
  CPlate* CurrentPlate();

  void AddList();
  void EditList();
  void DeleteList();
  void QueueCommandMail();
  void OpenCreatedMails();
  void StartSending();
  void EditCommonSettings();
  // The guide to the settings daily work needs; opened by itself on a first start.
  void OpenFirstStartGuide();
  // Takes in the settings and lists of a regedit export from Windows.
  void ImportWindowsSettings();
  // The sent mails with what became of them, and the servers' replies fetched.
  void OpenSentMails();
  // Members across lists: where an address is, and its removal from the lists chosen.
  void OpenMemberSearch();
  // The held posts and requests, and the moderator's answers to them.
  void OpenHeldMails();
  // The selected list's 削除 plate, and over it the review of returned mails that fills it.
  void ReviewBounces();
  // Counts the sent mails that failed, beside the queue's counts, after fetching the new replies
  // when asked; in the background.
  void RefreshResults(bool fetch);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QWidget* BuildListColumn();
  QWidget* BuildDetailsColumn();
  QWidget* BuildPlateColumn();
  void BuildMenus();
  void UpdateActions();
  // The next 作成 and 送信 use this folder, and the counts describe it.
  void UseMailBox(const std::string& mailBox);
  void OpenOnScreen();
  void ApplyFilter();

  void Select(int row);
  // Counts every list's queued mails again from its folders.
  void CountQueued();
  void ShowSelectedCount();
  void ReloadListsChangedElsewhere();
  void OnSelectionChanged();
  void ShowListInfo();
  void BuildCommandTree();
  void OnTreeSelection();
  void OnPlateCommand(CommandId command);
  void DestroyPlate();
  void RecountQueued();
  void OnSendRunFinished(const QString& report);
  bool Sending() const;
  void ApplyStartRequest(const QStringList& arguments);

  SettingsStore store_;
  MailQueue queue_{std::string()};  // in the mail box folder the settings name
  RegisterModel* model_ = nullptr;
  RegisterActions* actions_ = nullptr;
  int selected_ = -1;    // row of the selected list, -1 when none
  ServerKind treeKind_;  // the server kind the tree was last built for
  int totalQueued_ = 0;
  bool closeWhenSent_ = false;

  QListView* registerView_ = nullptr;
  QLineEdit* registerFilter_ = nullptr;
  QSet<QString> expandedCategories_;  // kept while the tree is rebuilt for another kind
  QTreeWidget* commandTree_ = nullptr;
  ListDetails* details_ = nullptr;
  PlateFrame* plateFrame_ = nullptr;
  SendControls* controls_ = nullptr;
  BackgroundTask* resultsWork_ = nullptr;  // the count (and fetch) under way, if any
  QueueWatcher* watcher_ = nullptr;        // the queue's folders, changed by other programs too
  QAction* importAction_ = nullptr;
  QAction* settingsAction_ = nullptr;
  QAction* guideAction_ = nullptr;
  QAction* editAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* createAction_ = nullptr;
  QAction* createdAction_ = nullptr;
  QAction* sendAction_ = nullptr;
  QAction* reviewAction_ = nullptr;
};

}  // namespace tarnwick
