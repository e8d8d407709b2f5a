// "同期": a list's members made those of a file. The file is read in the background; the dialog
// shows whom it would subscribe (+) and unsubscribe (−), with the cautions of the plan, and OK
// queues the two mails. A refused file is named and nothing can be queued; a plan with cautions
// goes only after the administrator says yes once more.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "core/compose/command_catalogue.h"
#include "core/members/roster_sync.h"
#include "core/store/settings_store.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace tarnwick {

class CRosterSyncDlg : public QDialog {
 public:
  // `roster` is the list's latest (nothing when none came yet).
  CRosterSyncDlg(const SettingsStore& store, const MailingListRegister& lists,
                 const MailingList& list, std::optional<Roster> roster, QWidget* parent);

  // Reads the file (text or CSV, one address a line) in the background and shows the plan.
  void ReadFile(const QString& path);
  bool reading() const { return reading_; }
  const SyncPlan& plan() const { return plan_; }
  // The mails queued by OK.
  int queued() const { return queued_; }

  void accept() override;

 private:
  void ShowPlan();
  bool Queue(CommandId command, const std::vector<std::string>& addresses);

  const SettingsStore& store_;
  const MailingListRegister& lists_;
  const MailingList& list_;
  std::optional<Roster> roster_;
  SyncPlan plan_;
  bool reading_ = false;
  int queued_ = 0;
  QLabel* status_;
  QLabel* addLabel_;
  QLabel* removeLabel_;
  QListWidget* add_;
  QListWidget* remove_;
  QLabel* cautions_;
  QPushButton* ok_;
};

}  // namespace tarnwick
