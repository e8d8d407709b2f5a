#include "ui/results/bounce_review_dlg.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include "core/store/common_settings.h"
#include "support/modal_script.h"
#include "support/sent_mails_fixture.h"
#include "ui/compose/address_list_plate.h"

namespace tarnwick {
namespace {

// A returned mail for one recipient on a day of December 2026.
std::string Returned(const std::string& address, const std::string& status, int day) {
  return "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\nFrom: MAILER-DAEMON@mx.example.net\n"
         "Subject: Undelivered Mail Returned to Sender\nDate: " +
         std::to_string(day) +
         " Dec 2026 10:00:00 +0900\nMIME-Version: 1.0\n"
         "Content-Type: multipart/report; report-type=delivery-status; boundary=R\n\n"
         "--R\nContent-Type: message/delivery-status\n\nFinal-Recipient: rfc822; " +
         address + "\nAction: failed\nStatus: " + status + "\n\n--R--\n\n";
}

// The text of each row, a column after another, "[x] " before a ticked address.
QStringList Rows(const QTableWidget& table) {
  QStringList rows;
  for (int row = 0; row < table.rowCount(); ++row) {
    QString text = table.item(row, 0)->checkState() == Qt::Checked ? "[x] " : "[ ] ";
    for (int column = 0; column < table.columnCount(); ++column)
      text += table.item(row, column)->text() + (column + 1 < table.columnCount() ? "|" : "");
    rows << text;
  }
  return rows;
}

}  // namespace

class BounceReviewDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    f_ = std::make_unique<testing::SentMailsFixture>("dev");
    f_->Sent("RXV1.tmp", "0000000a", "members", 1, "a@x.jp\nb@x.jp\n");  // the roster
    testing::WriteFile(mbox(), Returned("a@x.jp", "5.1.1", 1) + Returned("b@x.jp", "4.2.2", 1) +
                                   Returned("b@x.jp", "4.2.2", 2) +
                                   Returned("gone@x.jp", "5.1.1", 3) +
                                   Returned("b@x.jp", "4.2.2", 4));
  }
  void cleanup() { f_.reset(); }

  // Proposed members come ticked, a non-member does not; the day count re-proposes, keeping what
  // the administrator set against the proposal; OK gives the ticked ones and keeps the count.
  void addressesAreTalliedMarkedAndTicked() {
    CBounceReviewDlg dialog(f_->store(), f_->lists(), &f_->lists().at(0));
    dialog.Read({QString::fromStdString(mbox().string())});
    QTRY_VERIFY(!dialog.reading());
    auto* table = dialog.findChild<QTableWidget*>("bounceTable");
    QCOMPARE(Rows(*table),
             QStringList({"[x] a@x.jp|永続的|1|2026-12-01|2026-12-01|5.1.1|ﾒﾝﾊﾞｰ",
                          "[x] b@x.jp|一時的|3|2026-12-01|2026-12-04|4.2.2|ﾒﾝﾊﾞｰ",
                          "[ ] gone@x.jp|永続的|1|2026-12-03|2026-12-03|5.1.1|非ﾒﾝﾊﾞｰ"}));
    QVERIFY(
        dialog.findChild<QLabel*>("readStatus")->text().contains(QStringLiteral("非ﾒﾝﾊﾞｰ 1件")));
    table->item(0, 0)->setCheckState(Qt::Unchecked);
    table->item(2, 0)->setCheckState(Qt::Checked);
    dialog.findChild<QSpinBox*>("bounceDays")->setValue(4);  // b@x.jp failed on three days only
    QCOMPARE(Rows(*table).join('\n').count("[x]"), 1);
    QCOMPARE(table->item(0, 0)->checkState(), Qt::Unchecked);
    dialog.accept();
    QCOMPARE(dialog.addresses(), (std::vector<std::string>{"gone@x.jp"}));
    QCOMPARE(CommonSettings::Load(f_->store()).Number(kBounceDays), 4u);
  }

  // At the dialog's usual size the state and the membership show beside a long address.
  // IMAP asks for the folder, offering the settings' own and saying what it is for; cancelled,
  // nothing is read.
  void theImapFolderIsAskedForAndCancellingReadsNothing() {
    CBounceReviewDlg dialog(f_->store(), f_->lists(), nullptr);
    testing::ModalScript script;
    QString offered;
    QString tip;
    script.Then([&](QDialog& ask) {
      offered = qobject_cast<QInputDialog*>(&ask)->textValue();
      tip = ask.findChild<QLineEdit*>()->toolTip();
      return static_cast<int>(QDialog::Rejected);
    });
    dialog.findChild<QPushButton*>("imapButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(offered, QStringLiteral("INBOX"));
    QVERIFY(!tip.isEmpty());
    QVERIFY(!dialog.reading());
    QCOMPARE(dialog.findChild<QTableWidget*>("bounceTable")->rowCount(), 0);
  }

  void theLastColumnsShowBesideALongAddress() {
    testing::WriteFile(mbox(), Returned(std::string(40, 'l') + "@mail.example.co.jp", "5.1.1", 1));
    CBounceReviewDlg dialog(f_->store(), f_->lists(), &f_->lists().at(0));
    dialog.Read({QString::fromStdString(mbox().string())});
    QTRY_VERIFY(!dialog.reading());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* table = dialog.findChild<QTableWidget*>("bounceTable");
    const int last = table->columnCount() - 1;
    QVERIFY(table->columnViewportPosition(last) + table->columnWidth(last) <=
            table->viewport()->width());
    QVERIFY(table->columnWidth(0) >= table->fontMetrics().horizontalAdvance("l@x.jp"));
  }

  // A second mailbox adds to the tally; one that can't be read is named, the rest still counts.
  void mailboxesAddUpAndAnUnreadableOneIsNamed() {
    CBounceReviewDlg dialog(f_->store(), f_->lists(), nullptr);
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    dialog.Read({QString::fromStdString(mbox().string()), QStringLiteral("/nonexistent/box")});
    QTRY_VERIFY(!dialog.reading());
    QVERIFY2(message.contains(QStringLiteral("/nonexistent/box")), qPrintable(message));
    dialog.Read({QString::fromStdString(mbox().string())});
    QTRY_VERIFY(!dialog.reading());
    auto* table = dialog.findChild<QTableWidget*>("bounceTable");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("2"));  // a@x.jp, read twice
    QCOMPARE(table->item(0, 6)->text(), QString());            // no list, no membership
    QVERIFY(script.Done());
  }

  // A long reading shows its progress and stops at the stop button; closing does not wait.
  void aLongReadingStops() {
    std::string many;
    for (int i = 0; i < 20000; ++i)
      many += Returned("m" + std::to_string(i) + "@x.jp", "5.1.1", 1);
    testing::WriteFile(f_->dir() / "many.mbox", many);
    CBounceReviewDlg dialog(f_->store(), f_->lists(), &f_->lists().at(0));
    dialog.Read({QString::fromStdString((f_->dir() / "many.mbox").string())});
    QVERIFY(dialog.reading());
    QVERIFY(!dialog.findChild<QPushButton*>("fileButton")->isEnabled());
    QTRY_VERIFY(dialog.findChild<QProgressBar*>("readProgress")->value() > 0);
    dialog.findChild<QPushButton*>("stopButton")->click();
    QTRY_VERIFY(!dialog.reading());
    QVERIFY(dialog.findChild<QTableWidget*>("bounceTable")->rowCount() < 20000);
    auto* closing = new CBounceReviewDlg(f_->store(), f_->lists(), nullptr);
    closing->Read({QString::fromStdString((f_->dir() / "many.mbox").string())});
    delete closing;  // the reading goes on by itself, stopped, and tells nobody
    WaitForBackgroundWork();
  }

  // The 削除 plate's ｱﾄﾞﾚｽ抽出 reviews a mailbox whole and takes the ticked addresses.
  void thePlateReviewsAMailboxAndTakesTheTicked() {
    CAddressListPlate plate(ID_UNSUBSCRIBE_PLATE);
    plate.list = &f_->lists().at(0);
    plate.reviewReturnedMails = [&](const QStringList& mailboxes) {
      return ReviewReturnedMails(f_->store(), f_->lists(), plate.list, mailboxes, &plate);
    };
    plate.Create(nullptr);
    testing::ModalScript script;
    script.Then([](QDialog& dialog) -> int {
      auto* review = dynamic_cast<CBounceReviewDlg*>(&dialog);
      if (review == nullptr) return QDialog::Rejected;
      if (!QTest::qWaitFor([&] { return !review->reading(); }, 5000)) return QDialog::Rejected;
      review->accept();
      return review->result();
    });
    plate.ExtractAddresses(QString::fromStdString(mbox().string()));
    QVERIFY(script.Done());
    QCOMPARE(plate.addresses().entries(), (std::vector<std::string>{"a@x.jp", "b@x.jp"}));
  }

 private:
  std::filesystem::path mbox() const { return f_->dir() / "returned.mbox"; }

  std::unique_ptr<testing::SentMailsFixture> f_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::BounceReviewDlgTest)
#include "bounce_review_dlg_test.moc"
