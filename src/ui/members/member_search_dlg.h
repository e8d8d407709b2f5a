// "ﾒﾝﾊﾞｰ検索": on which lists is an address, or any address a pattern matches, by the latest
// rosters (read in the background); a double click takes the main window to the row's list, and
// 選択したﾒﾝﾊﾞｰを削除 queues, for each list, one unsubscribe of the rows chosen on it.
#pragma once

#include <QDialog>
#include <memory>

#include "core/members/member_search.h"
#include "core/store/settings_store.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tarnwick {

class CMemberSearchDlg : public QDialog {
  Q_OBJECT

 public:
  CMemberSearchDlg(const SettingsStore& store, const MailingListRegister& lists, QWidget* parent);
  ~CMemberSearchDlg() override;

  // Searches the patterns of the field (blank separated), as 検索 does.
  void Search();
  bool searching() const { return searching_; }
  // Queues the unsubscribes of the selected rows, after the user's yes.
  void RemoveSelected();

 signals:
  // The main window is asked to select the list of this title (CP932).
  void listChosen(const QString& title);
  // Mails were queued: the queue's counts are out of date.
  void mailsQueued();

 private:
  struct Found;
  void ShowFound();
  void ChooseRow(int row);

  const SettingsStore& store_;
  const MailingListRegister& lists_;
  std::shared_ptr<Found> found_;
  bool searching_ = false;
  QLineEdit* patterns_;
  QPushButton* searchButton_;
  QPushButton* removeButton_;
  QTableWidget* table_;
  QLabel* unsearched_;
  QLabel* status_;
};

}  // namespace tarnwick
