#include "ui/results/roster_sync_dlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "support/modal_script.h"
#include "support/queued_files.h"
#include "support/sent_mails_fixture.h"
#include "ui/platform/background_task.h"
#include "ui/results/sent_mails_dlg.h"

namespace tarnwick {

// The fml list 開発 with a fresh roster of ten members.
class RosterSyncDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    f_ = std::make_unique<testing::SentMailsFixture>("\x8A\x4A\x94\xAD");  // 開発
    std::string members;
    for (int i = 0; i < 10; ++i)
      members += "m" + std::to_string(i) + "@x.jp\n";
    f_->Sent("RXV1.tmp", "0000000a", "members", 1, members + "admin@example.jp\n");
    MailingList& list = f_->lists().at(0);
    list.Type = ServerKind::Fml;
    list.Admin = "admin@example.jp";
    list.Password = "pw";
  }
  void cleanup() { f_.reset(); }

  // The file against the roster: + and − with their counts, the administrator kept; OK queues
  // the subscribe and the unsubscribe. With TARNWICK_SHOTS set to a folder, the dialog is saved
  // there as an image to look at.
  void aSmallChangeQueuesTheTwoMails() {
    File(
        "m0@x.jp\n# staff\nM1@x.jp\nm2@x.jp\nm3@x.jp\nm4@x.jp\nm5@x.jp\nm6@x.jp\nm7@x.jp\n"
        "m8@x.jp\nnew@x.jp\n");
    CRosterSyncDlg dialog(f_->store(), f_->lists(), f_->lists().at(0), Latest(), nullptr);
    Read(dialog);
    QCOMPARE(Shown(dialog, "added"), QStringList({"new@x.jp"}));
    QCOMPARE(Shown(dialog, "removed"), QStringList({"m9@x.jp"}));
    QVERIFY2(dialog.findChild<QLabel*>("cautions")->text().contains(QStringLiteral("は残します")),
             qPrintable(dialog.findChild<QLabel*>("cautions")->text()));
    QVERIFY(Ok(dialog)->isEnabled());
    dialog.show();
    if (const QByteArray shots = qgetenv("TARNWICK_SHOTS"); !shots.isEmpty())
      dialog.grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/roster-sync.png"));
    testing::ModalScript script;  // no question: nothing looks like a mistake
    Ok(dialog)->click();
    QVERIFY(script.Done());
    QCOMPARE(dialog.queued(), 2);
    const std::vector<std::string> mails = testing::QueuedMails(f_->dir() / "dev");
    QCOMPARE(mails.size(), 2u);
  }

  // Removing more than a tenth waits for a second yes; no yes, nothing queued.
  void aCautionAsksOnceMore() {
    File("m0@x.jp\nm1@x.jp\n");
    CRosterSyncDlg dialog(f_->store(), f_->lists(), f_->lists().at(0), Latest(), nullptr);
    Read(dialog);
    QCOMPARE(dialog.plan().remove.size(), 8u);
    QVERIFY(dialog.findChild<QLabel*>("cautions")->text().contains(QStringLiteral("1割")));
    testing::ModalScript script;
    QString question;
    script.Then([&](QDialog& box) {
      question = qobject_cast<QMessageBox*>(&box)->text();
      return static_cast<int>(QMessageBox::Cancel);
    });
    Ok(dialog)->click();
    QVERIFY(script.Done());
    QVERIFY2(question.contains(QStringLiteral("8人")), qPrintable(question));
    QVERIFY(testing::QueuedMails(f_->dir() / "dev").empty());
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Rejected));
  }

  // A line that is no address refuses the whole file, named by its line; OK stays off.
  void aRefusedFileQueuesNothing() {
    File("m0@x.jp\nnot an address\n");
    CRosterSyncDlg dialog(f_->store(), f_->lists(), f_->lists().at(0), Latest(), nullptr);
    Read(dialog);
    const QString status = dialog.findChild<QLabel*>("status")->text();
    QVERIFY2(status.contains(QStringLiteral("2行目")), qPrintable(status));
    QVERIFY(!Ok(dialog)->isEnabled());
  }

  // From the roster view: 同期 asks for the file and opens the sync over the latest roster.
  void theRosterViewOffersTheSync() {
    File("m0@x.jp\n");
    CSentMailsDlg sent(f_->store(), f_->lists(), nullptr);
    sent.findChild<QTableWidget*>("sentMails")->selectRow(0);
    testing::ModalScript script;
    std::size_t removing = 0;
    script.Then([&](QDialog& roster) {
      roster.findChild<QPushButton*>("sync")->click();
      return static_cast<int>(QDialog::Rejected);
    });
    script.Then([&](QDialog& chooser) {
      qobject_cast<QFileDialog*>(&chooser)->selectFile(Path());
      return static_cast<int>(QDialog::Accepted);
    });
    script.Then([&](QDialog& dialog) {
      auto& sync = static_cast<CRosterSyncDlg&>(dialog);
      if (!QTest::qWaitFor([&] { return !sync.reading(); })) return 0;
      removing = sync.plan().remove.size();
      return static_cast<int>(QDialog::Rejected);
    });
    sent.findChild<QPushButton*>("roster")->click();
    QVERIFY(script.Done());
    QCOMPARE(removing, 9u);
  }

 private:
  QString Path() const { return QString::fromStdString((f_->dir() / "staff.txt").string()); }
  void File(const char* text) { testing::WriteFile(f_->dir() / "staff.txt", text); }
  std::optional<Roster> Latest() {
    return LatestRoster(CollectResults(f_->dir().string(), f_->lists()), f_->lists().at(0));
  }
  void Read(CRosterSyncDlg& dialog) {
    dialog.ReadFile(Path());
    QTRY_VERIFY(!dialog.reading());
    WaitForBackgroundWork();
  }
  static QPushButton* Ok(QDialog& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
  }
  static QStringList Shown(QDialog& dialog, const char* name) {
    auto* list = dialog.findChild<QListWidget*>(name);
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
      shown << list->item(row)->text();
    return shown;
  }

  std::unique_ptr<testing::SentMailsFixture> f_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::RosterSyncDlgTest)
#include "roster_sync_dlg_test.moc"
