// "返送ﾒｰﾙの集計": the returned mails of whole mailboxes (mbox files, Maildir folders, IMAP
// folders) tallied per address, read in the background with a progress bar and a stop;
// the administrator ticks the addresses to remove, and they go to the plate as one command.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/results/bounce_review.h"
#include "core/store/settings_store.h"
#include "ui/platform/background_task.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tarnwick {

// The review over `parent`, reading `mailboxes` at once: the addresses ticked at OK, nothing when
// it was cancelled.
std::optional<std::vector<std::string>> ReviewReturnedMails(const SettingsStore& store,
                                                            const MailingListRegister& lists,
                                                            const MailingList* list,
                                                            const QStringList& mailboxes,
                                                            QWidget* parent);

class CBounceReviewDlg : public QDialog {
 public:
  // `list` (one of `lists`) is the list whose roster marks the members; null for none. Closing
  // the dialog while a reading runs does not wait for it: the reading works on copies, and
  // stops at its next mail.
  CBounceReviewDlg(const SettingsStore& store, const MailingListRegister& lists,
                   const MailingList* list, QWidget* parent = nullptr);
  ~CBounceReviewDlg() override;

  // Reads these mailboxes ("imap:FOLDER", or paths) into the tally; the table follows.
  void Read(const QStringList& mailboxes);
  bool reading() const { return work_ != nullptr; }

  // After OK: the ticked addresses, in the table's order.
  const std::vector<std::string>& addresses() const { return addresses_; }

  void accept() override;

 protected:
  // Mailboxes dropped on the dialog are read as if chosen.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct Reading;
  void ChooseFile();
  void ChooseFolder();
  void ChooseImapFolder();
  void Stop();
  void Progressed(double done, std::size_t mails);
  void Finished(Reading& reading);
  static void Run(Reading& reading, BackgroundTask::Context& context, CBounceReviewDlg* dialog);
  ReviewTicks Ticks() const;
  void Fill();
  void SetRow(int row, const AddressTally& tally, bool ticked);
  void ShowSummary();
  void SetReading(bool reading);

  const SettingsStore& store_;
  const MailingListRegister& lists_;
  std::string listTitle_;  // CP932; empty for no list
  BounceTally tally_;
  std::size_t mails_ = 0;
  std::optional<MemberCheck> members_;
  std::vector<AddressTally> shown_;
  std::vector<std::string> addresses_;
  QTableWidget* table_;
  QSpinBox* days_;
  QProgressBar* progress_;
  QPushButton* stop_;
  QLabel* status_;
  QList<QPushButton*> sourceButtons_;
  BackgroundTask* work_ = nullptr;  // the reading under way, if any
};

}  // namespace tarnwick
