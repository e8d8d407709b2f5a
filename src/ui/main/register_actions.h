// The register's own actions over its dialogs: a list added, edited, deleted or renamed in place,
// each change written when it is made, and the register taken again where tarnwick-cli changed it.
#pragma once

#include <QObject>
#include <optional>
#include <string_view>

#include "core/store/mailing_list_register.h"
#include "core/store/settings_store.h"

class QWidget;

namespace tarnwick {

class RegisterModel;

class RegisterActions : public QObject {
 public:
  // Dialogs and messages come up over `window`; the model shows the store as it was at
  // `loaded` (its ChangeStamp taken before it was read).
  RegisterActions(QWidget* window, const SettingsStore& store, RegisterModel& model,
                  std::optional<std::string> loaded);

  // The row of the list added; nothing when the dialog was cancelled.
  std::optional<int> Add();
  // Nothing when the dialog was cancelled; otherwise whether the list has another server kind.
  std::optional<bool> Edit(int row);
  // Asks before the list goes; with mails still queued for it, whether they go too (or the
  // list stays).
  bool AgreesToDelete(int row, std::size_t queued) const;
  // The register as stored, counted against the queue in `mailBox`, where it differs from the
  // one shown. Not read again while the store was not written to.
  std::optional<MailingListRegister> ChangedElsewhere(std::string_view mailBox);
  // Where a secret service runs, the passwords still in the settings file move into it.
  void MovePasswordsToTheKeyring();
  // Each change is written when it is made, so tarnwick-cli sees it at once and a crash loses
  // nothing; a save that fails says so and keeps the stored register as it was.
  void Save();

 private:
  QWidget* window_;
  const SettingsStore& store_;
  RegisterModel& model_;
  std::optional<std::string> seen_;  // the store's stamp when it was last read
};

}  // namespace tarnwick
