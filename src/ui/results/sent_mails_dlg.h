// "送信済みﾒｰﾙ": each sent mail with its state and the server's words, the servers' replies
// fetched on demand (受信) without the window waiting for them, and each list's member roster.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "core/incoming/reply_fetch.h"
#include "core/results/sent_results.h"
#include "core/store/settings_store.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tarnwick {

class BackgroundTask;

// The fetch's outcome for the user: what was read and matched, or why it failed.
QString FetchOutcome(const FetchReport& report);

struct ResultCounts {
  int failed = 0;  // sent mails the servers refused
  int held = 0;    // held posts and requests of the lists still 保留中
};

// In the background: the new replies fetched (when `fetch` is set), then the sent mails that
// failed and the held items counted; `done` then runs on the owner's thread with the fetch's
// outcome for the user (empty without a fetch) and the counts. The work runs on copies of the
// settings and register.
BackgroundTask* StartResultsWork(const SettingsStore& store, const MailingListRegister& lists,
                                 bool fetch, QObject* owner,
                                 std::function<void(const QString&, const ResultCounts&)> done);

class CSentMailsDlg : public QDialog {
 public:
  // Closing it while a fetch runs does not wait for the fetch: the fetch works on copies, and
  // its end is told to nobody once the dialog is gone.
  CSentMailsDlg(const SettingsStore& store, const MailingListRegister& lists, QWidget* parent);

  // Fetches the new replies (as the 受信 button does); the table follows once they are in.
  void Fetch();
  bool fetching() const { return fetch_ != nullptr; }

 private:
  void Reload();
  void ShowRoster();
  void FetchEnded(const QString& outcome);

  const SettingsStore& store_;
  const MailingListRegister& lists_;
  std::vector<SentResult> results_;
  QTableWidget* table_;
  QLabel* status_;
  QPushButton* fetchButton_;
  BackgroundTask* fetch_ = nullptr;
};

// "ﾒﾝﾊﾞｰ": the list's latest roster with its date and count, a filter, what changed since the
// roster before it, its export as CSV, and (when offered) the list synced with a file.
class CRosterDlg : public QDialog {
 public:
  // `current` is the latest roster with the member commands done since; `fetched` the rosters
  // as the server gave them, the latest first.
  CRosterDlg(const Roster& current, const std::vector<Roster>& fetched, const QString& listTitle,
             QWidget* parent);

  // Shows 同期: the members made those of a file, the mails queued for `list`.
  void OfferSync(const SettingsStore& store, const MailingListRegister& lists,
                 const MailingList& list);

 private:
  void Filter(const QString& text);
  void Export();
  void Sync();

  Roster roster_;
  QPushButton* syncButton_;
  const SettingsStore* store_ = nullptr;
  const MailingListRegister* lists_ = nullptr;
  const MailingList* list_ = nullptr;
  QTableWidget* table_;
};

}  // namespace tarnwick
