#include "ui/results/sent_mails_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "core/store/common_settings.h"
#include "support/modal_script.h"
#include "support/sent_mails_fixture.h"
#include "ui/main/main_dialog.h"

namespace tarnwick {

class SentMailsDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    f_ = std::make_unique<testing::SentMailsFixture>("\x8A\x4A\x94\xAD");  // 開発
    f_->Sent("RXV1.tmp", "0000000a", "members", 1, "a@x.jp\nb@x.jp\n");
    f_->Sent("RXV2.tmp", "0000000b", "members", 2, "B@x.jp\nc@x.jp\n");
    f_->Sent("RXV3.tmp", "0000000c", "bye nobody@x.jp", 3, "");
  }
  void cleanup() { f_.reset(); }

  void eachSentMailShowsItsStateAndTheFailuresAreCounted() {
    CSentMailsDlg dialog(f_->store(), f_->lists(), nullptr);
    auto* table = dialog.findChild<QTableWidget*>("sentMails");
    QCOMPARE(table->rowCount(), 3);
    QVERIFY2(dialog.windowTitle().contains(QStringLiteral("失敗 1通")),
             qPrintable(dialog.windowTitle()));
    QCOMPARE(table->item(0, 3)->text(), QStringLiteral("RXV3.tmp"));  // the latest first
    QCOMPARE(table->item(0, 4)->text(), QStringLiteral("失敗"));
    QVERIFY(table->item(0, 5)->text().contains(QStringLiteral("admin bye nobody@x.jp: ")));
    QCOMPARE(table->item(1, 4)->text(), QStringLiteral("完了"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("開発"));
  }

  void theRosterShowsItsCountWhatChangedAndFilters() {
    CSentMailsDlg dialog(f_->store(), f_->lists(), nullptr);
    dialog.findChild<QTableWidget*>("sentMails")->selectRow(1);
    testing::ModalScript script;
    QString summary, changes;
    int shown = -1;
    script.Then([&](QDialog& roster) {
      summary = roster.findChild<QLabel*>("summary")->text();
      changes = roster.findChild<QLabel*>("changes")->text();
      roster.findChild<QLineEdit*>("filter")->setText(QStringLiteral("C@"));
      auto* members = roster.findChild<QTableWidget*>("members");
      shown = 0;
      for (int row = 0; row < members->rowCount(); ++row)
        shown += members->isRowHidden(row) ? 0 : 1;
      return static_cast<int>(QDialog::Rejected);
    });
    dialog.findChild<QPushButton*>("roster")->click();
    QVERIFY(script.Done());
    QVERIFY2(summary.endsWith(QStringLiteral("現在 2人")), qPrintable(summary));
    QVERIFY2(changes.contains(QStringLiteral("+ c@x.jp")) &&
                 changes.contains(QStringLiteral("- a@x.jp")) && !changes.contains("b@x.jp"),
             qPrintable(changes));
    QCOMPARE(shown, 1);
  }

  // The main window counts them beside the queue's counts, without waiting for the count.
  void theMainWindowShowsHowManyFailed() {
    QVERIFY(!AddToRegister(f_->store(), f_->lists().at(0)).has_value());
    CMainDialog window(f_->store());
    auto* failed = window.findChild<QLabel*>("failedText");
    QTRY_VERIFY(failed->isVisibleTo(&window));
    QCOMPARE(failed->text(), QStringLiteral("失敗 1通"));
  }

  void aFetchWithoutAServerSaysSoWithoutTheWindowWaiting() {
    CSentMailsDlg dialog(f_->store(), f_->lists(), nullptr);
    dialog.findChild<QPushButton*>("fetch")->click();
    QTRY_VERIFY(!dialog.fetching());
    QCOMPARE(dialog.findChild<QLabel*>("fetchStatus")->text(),
             QStringLiteral("受信ｻｰﾊﾞｰが設定されていません"));
  }

  // Notices of held posts and replies passed over as too large are named only when there are any.
  void aFetchNamesTheRepliesTooLargeToTake() {
    FetchReport report;
    report.read = 5;
    report.matched = 2;
    QCOMPARE(FetchOutcome(report), QStringLiteral("5通を読み、2通の返信を照合しました"));
    report.tooLarge = 3;
    QCOMPARE(FetchOutcome(report),
             QStringLiteral(
                 "5通を読み、2通の返信を照合しました（大きすぎる返信 3通は受け取りませんでした）"));
    report.tooLarge = 0;
    report.collected = 1;
    QCOMPARE(
        FetchOutcome(report),
        QStringLiteral("5通を読み、2通の返信を照合しました、保留ﾒｰﾙの通知 1通を取り込みました"));
    report.failure = "no server";
    QCOMPARE(FetchOutcome(report), QStringLiteral("no server"));
  }

 private:
  std::unique_ptr<testing::SentMailsFixture> f_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::SentMailsDlgTest)
#include "sent_mails_dlg_test.moc"
