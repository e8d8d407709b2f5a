// The base of every command plate: a borderless area in the main window that collects one
// command's inputs and composes its mail for the selected list.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/compose/command_mail.h"
#include "core/store/mailing_list.h"

namespace tarnwick {

class CPlate : public QWidget {
 public:
  explicit CPlate(CommandId command) : command_(command) {}

  CommandId command() const { return command_; }

  // The list the plate works on; set before Create and never changed afterwards.
  MailingList* list = nullptr;
  // Asks the window for its review of returned mails for `list`, reading these mailboxes at
  // once; gives the addresses ticked there, nothing when the review was cancelled. Set with
  // `list` where the window offers the review.
  using ReturnedMailReview =
      std::function<std::optional<std::vector<std::string>>(const QStringList& mailboxes)>;
  ReturnedMailReview reviewReturnedMails;

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
