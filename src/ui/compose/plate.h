// The base of every command plate: a borderless area in the main window that collects one
// command's inputs and composes its mail for the selected list.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "core/compose/command_mail.h"
#include "core/store/mailing_list.h"
#include "core/store/mailing_list_register.h"
#include "core/store/settings_store.h"

namespace tarnwick {

class CPlate : public QWidget {
 public:
  explicit CPlate(CommandId command) : command_(command) {}

  CommandId command() const { return command_; }

  // The list the plate works on; set before Create and never changed afterwards.
  MailingList* list = nullptr;
  // The settings and the register `list` belongs to, for reviews that read the administrator's
  // mailboxes and the lists' rosters; set with `list` where the window has them.
  const SettingsStore* store = nullptr;
  const MailingListRegister* lists = nullptr;

  // Builds the plate as a child of the given window.
  virtual void Create(QWidget* parent);
  // Fills `text` with the whole mail; Composed when there is a mail to queue.
  ComposeResult BuildMail(std::string& text);
  // Takes member addresses from a mail file; only address-list plates do anything.
  virtual void AnalyzeFile(const QString& path);
  // Gives the list back the file paths its fields remember, before the plate goes; only form
  // plates with such fields do anything.
  virtual void StoreRememberedPaths() {}

 protected:
  // Answers WM_ANALYZEADDRESS with AnalyzeFile.
  bool event(QEvent* event) override;

  // Copies the controls into the command's inputs; nothing when a control holds text that can't
  // be sent (the user has been told).
  virtual std::optional<CommandInput> Input() = 0;
  // Lays out the plate's controls.
  virtual void BuildPlate() = 0;

 private:
  CommandId command_;
};

}  // namespace tarnwick
