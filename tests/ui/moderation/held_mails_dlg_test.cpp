#include "ui/moderation/held_mails_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <filesystem>

#include "core/store/common_settings.h"
#include "support/modal_script.h"
#include "support/temp_dir.h"
#include "ui/main/main_dialog.h"
#include "ui/moderation/held_table.h"
#include "ui/platform/background_task.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
const fs::path kSamples = fs::path(TARNWICK_TEST_DATA) / "moderation";

std::unique_ptr<MailingList> List(const char* title, ServerKind kind) {
  auto list = std::make_unique<MailingList>();
  list->Title = title;
  list->Type = kind;
  list->Name = "testlist";
  list->Admin = "admin@localhost";
  list->Password = "pw";
  list->Address = kind == ServerKind::Majordomo ? "majordomo@localhost" : "testlist-ctl@localhost";
  return list;
}

}  // namespace

// Two lists of the samples' server, and in their held store a Majordomo post with an attachment,
// a Majordomo request, an fml type 2 post, an fml type 1 post, and a post already discarded.
class HeldMailsDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    store_ = std::make_unique<SettingsStore>(dir_->path() / "registry.db");
    store_->OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", dir_->path().string());
    lists_ = std::make_unique<MailingListRegister>();
    lists_->Insert(List("MJ", ServerKind::Majordomo));
    lists_->Insert(List("FM", ServerKind::Fml));
    std::string why;
    std::optional<HeldStore> held = HeldStore::Open(dir_->path().string(), why);
    QVERIFY2(held.has_value(), why.c_str());
    for (const char* sample :
         {"majordomo/09-mime-post-held.sent1.eml", "majordomo/16-closed-subscribe.sent2.eml",
          "fml/09-type2-post.sent1.eml", "fml/02-type1-member-post.sent1.eml",
          "majordomo/01-mod-member-post.sent1.eml"}) {
      std::optional<HeldNotice> notice = ReadHeldNotice(testing::ReadFile(kSamples / sample));
      QVERIFY2(notice.has_value(), sample);
      int error = -1;
      QCOMPARE(held->Take(*notice, 1'800'000'000, error), HeldStore::Taken::Added);
      QCOMPARE(error, 0);
    }
    HeldItem done = held->items().back();
    done.state = HeldState::Discarded;
    QCOMPARE(held->Update(done), 0);
  }
  void cleanup() {
    WaitForBackgroundWork();
    lists_.reset();
    store_.reset();
    dir_.reset();
  }

  void onlyPendingItemsShowUntilAskedAndTheListFilters() {
    CHeldMailsDlg dialog(*store_, *lists_, nullptr);
    auto* table = dialog.findChild<QTableView*>("heldItems");
    QTRY_VERIFY(!dialog.loading());
    QCOMPARE(table->model()->rowCount(), 4);
    QCOMPARE(dialog.findChild<QLabel*>("heldStatus")->text(),
             QStringLiteral("保留中 4件 (全 5件)"));
    QCOMPARE(dialog.findChild<QPushButton*>("close")->text(), QStringLiteral("閉じる"));
    dialog.findChild<QCheckBox*>("showAll")->setChecked(true);
    QCOMPARE(table->model()->rowCount(), 5);
    auto* lists = dialog.findChild<QComboBox*>("listChoice");
    QCOMPARE(lists->itemText(0), QStringLiteral("全てのﾘｽﾄ"));
    lists->setCurrentIndex(lists->findText(QStringLiteral("FM")));
    QCOMPARE(table->model()->rowCount(), 2);
    QSet<QString> kinds;
    for (int row = 0; row < 2; ++row) {
      QCOMPARE(Cell(table, row, kHeldList), QStringLiteral("FM"));
      kinds << Cell(table, row, kHeldKind);
    }
    QCOMPARE(kinds, QSet<QString>{QStringLiteral("投稿")});
    // Only the fml type 2 post waits on the server for a while.
    QVERIFY(Cell(table, 0, kHeldDaysLeft).isEmpty() != Cell(table, 1, kHeldDaysLeft).isEmpty());
  }

  void theColumnsSortByWhatTheyMean() {
    CHeldMailsDlg dialog(*store_, *lists_, nullptr);
    auto* table = dialog.findChild<QTableView*>("heldItems");
    QTRY_VERIFY(!dialog.loading());
    table->sortByColumn(kHeldDate, Qt::AscendingOrder);
    for (int row = 1; row < table->model()->rowCount(); ++row) {
      QVERIFY(table->model()->index(row - 1, kHeldDate).data(kHeldSortRole).toLongLong() <=
              table->model()->index(row, kHeldDate).data(kHeldSortRole).toLongLong());
    }
    table->sortByColumn(kHeldKind, Qt::DescendingOrder);
    QCOMPARE(Cell(table, 0, kHeldKind), QStringLiteral("登録依頼"));
    QCOMPARE(Cell(table, 0, kHeldList), QStringLiteral("MJ"));
  }

  void theSelectedPostShowsDecodedWithItsAttachments() {
    CHeldMailsDlg dialog(*store_, *lists_, nullptr);
    auto* table = dialog.findChild<QTableView*>("heldItems");
    QTRY_VERIFY(!dialog.loading());
    const int row = Find(table, kHeldSubject, QStringLiteral("テスト with attachment"));
    QVERIFY(row >= 0);
    table->selectRow(row);
    const QString header = dialog.findChild<QLabel*>("postHeader")->text();
    QVERIFY2(header.contains(QStringLiteral("Subject: テスト with attachment")) &&
                 header.contains(QStringLiteral("From: a1@example.net")),
             qPrintable(header));
    // The server kit's sample lost the body's escape sequences: the text stays as it came.
    QVERIFY(
        dialog.findChild<QPlainTextEdit*>("postText")->toPlainText().trimmed().endsWith("body"));
    const QString attachments = dialog.findChild<QLabel*>("postAttachments")->text();
    QCOMPARE(attachments, QStringLiteral("添付: a.bin (32 ﾊﾞｲﾄ)"));
    QVERIFY(dialog.findChild<QPushButton*>("approve")->isEnabled());
    QVERIFY(!dialog.findChild<QLabel*>("newPostNote")->isVisibleTo(&dialog));
    // With TARNWICK_SHOTS set to a folder, the window is saved there as an image to look at.
    if (const QByteArray shots = qgetenv("TARNWICK_SHOTS"); !shots.isEmpty()) {
      dialog.show();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      dialog.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/held-mails.png"));
    }
  }

  // fml type 1: nothing waits on the server, the approval is a new post of the administrator.
  void approvingAForwardedPostIsSaidToGoOutInTheAdministratorsName() {
    CHeldMailsDlg dialog(*store_, *lists_, nullptr);
    auto* table = dialog.findChild<QTableView*>("heldItems");
    QTRY_VERIFY(!dialog.loading());
    const int type1 = Find(table, kHeldSubject, QStringLiteral("member post, type 1"));
    QVERIFY(type1 >= 0);
    table->selectionModel()->select(table->model()->index(type1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QVERIFY(dialog.findChild<QLabel*>("newPostNote")->isVisibleTo(&dialog));
    QVERIFY(dialog.findChild<QPlainTextEdit*>("postText")->toPlainText().startsWith("Hello list"));
  }

  void theMainWindowCountsThePendingItems() {
    for (std::size_t i = 0; i < lists_->size(); ++i)
      QVERIFY(!AddToRegister(*store_, lists_->at(i)).has_value());
    CMainDialog window(*store_);
    auto* held = window.findChild<QLabel*>("heldText");
    QTRY_VERIFY(held->isVisibleTo(&window));
    QCOMPARE(held->text(), QStringLiteral("保留 4通"));
  }

  void theAnswersGoToEverySelectedItemAndTheWindowRecounts() {
    int answered = 0;
    CHeldMailsDlg dialog(*store_, *lists_, nullptr, [&] { ++answered; });
    auto* table = dialog.findChild<QTableView*>("heldItems");
    QTRY_VERIFY(!dialog.loading());
    Select(table,
           {QStringLiteral("テスト with attachment"), QStringLiteral("member post, type 1")});
    dialog.findChild<QPushButton*>("approve")->click();
    QTRY_VERIFY(!dialog.loading());
    QCOMPARE(answered, 1);
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(States(), (QStringList{"承認待ち", "保留中", "保留中", "承認待ち", "破棄"}));

    testing::ModalScript script;
    script.Then([](QDialog& asked) {
      asked.findChild<QLineEdit*>("rejectReason")->setText(QStringLiteral("宣伝は不可"));
      return static_cast<int>(QDialog::Accepted);
    });
    Select(table, {QStringLiteral("member post, type 2")});
    dialog.findChild<QPushButton*>("reject")->click();
    QVERIFY(script.Done());
    QTRY_VERIFY(!dialog.loading());
    QCOMPARE(answered, 2);
    table->selectRow(0);
    dialog.findChild<QPushButton*>("discard")->click();
    QTRY_VERIFY(!dialog.loading());
    QCOMPARE(answered, 2);  // a discard queues nothing
    QCOMPARE(States(), (QStringList{"承認待ち", "破棄", "却下", "承認待ち", "破棄"}));
  }

  // Refused items are named in one message, the others still answered.
  void theRefusalsOfAllTheItemsAreToldOnce() {
    for (std::size_t i = 0; i < lists_->size(); ++i)
      lists_->at(i).Password.clear();
    CHeldMailsDlg dialog(*store_, *lists_, nullptr);
    auto* table = dialog.findChild<QTableView*>("heldItems");
    QTRY_VERIFY(!dialog.loading());
    table->selectAll();
    testing::ModalScript script;
    QString text, detail;
    script.Then([&](QDialog& shown) {
      auto* box = qobject_cast<QMessageBox*>(&shown);
      text = box->text();
      detail = box->detailedText();
      return static_cast<int>(QMessageBox::Ok);
    });
    dialog.findChild<QPushButton*>("approve")->click();
    QVERIFY(script.Done());
    QCOMPARE(text, QStringLiteral("4件のうち3件は処理しませんでした"));
    // fml's moderator certifies by the address alone: the type 2 post went.
    QCOMPARE(detail.count(QLatin1Char('\n')), 2);
    QVERIFY2(detail.startsWith("#1: ") && detail.contains("\n#2: ") && detail.contains("\n#4: "),
             qPrintable(detail));
    QTRY_VERIFY(!dialog.loading());
    QCOMPARE(table->model()->rowCount(), 3);
  }

 private:
  QStringList States() const {
    std::string why;
    const std::optional<HeldStore> held = HeldStore::Open(dir_->path().string(), why);
    QStringList states;
    for (const HeldItem& item : held->items())
      states << QString::fromStdString(std::string(HeldStateText(item.state)));
    return states;
  }
  static void Select(QTableView* table, const QStringList& subjects) {
    table->clearSelection();
    for (const QString& subject : subjects) {
      const int row = Find(table, kHeldSubject, subject);
      QVERIFY2(row >= 0, qPrintable(subject));
      table->selectionModel()->select(table->model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  static QString Cell(QTableView* table, int row, int column) {
    return table->model()->index(row, column).data().toString();
  }
  static int Find(QTableView* table, int column, const QString& text) {
    for (int row = 0; row < table->model()->rowCount(); ++row) {
      if (Cell(table, row, column) == text) return row;
    }
    return -1;
  }

  std::unique_ptr<testing::TempDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<MailingListRegister> lists_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::HeldMailsDlgTest)
#include "held_mails_dlg_test.moc"
