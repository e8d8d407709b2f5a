// "送信済みﾒｰﾙ": each sent mail with its state and the server's words, the servers' replies
// fetched on demand (受信) without the window waiting for them, and each list's member roster.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "core/results/sent_results.h"
#include "core/store/settings_store.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QThread;

namespace tarnwick {

// On a thread of its own: the new replies fetched (when `fetch` is set), then the sent mails that
// failed counted; `done` then runs in the context's thread with the fetch's outcome for the user
// (empty without a fetch) and the count. The thread works on copies of the store and register.
QThread* StartResultsWork(const SettingsStore& store, const MailingListRegister& lists, bool fetch,
                          QObject* context, std::function<void(const QString&, int)> done);

class CSentMailsDlg : public QDialog {
 public:
  // Closing it while a fetch runs does not wait for the fetch: the fetch works on copies, and
  // its end is no longer told to a dialog that is gone.
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
  QThread* fetch_ = nullptr;
};

// "ﾒﾝﾊﾞｰ": the list's latest roster with its date and count, a filter, what changed since the
// roster before it, and its export as CSV.
class CRosterDlg : public QDialog {
 public:
  // `current` is the latest roster with the member commands done since; `fetched` the rosters
  // as the server gave them, the latest first.
  CRosterDlg(const Roster& current, const std::vector<Roster>& fetched, const QString& listTitle,
             QWidget* parent);

 private:
  void Filter(const QString& text);
  void Export();

  Roster roster_;
  QTableWidget* table_;
};

}  // namespace tarnwick
