#include "ui/members/member_search_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "support/modal_script.h"
#include "support/queued_files.h"
#include "support/sent_mails_fixture.h"
#include "ui/platform/background_task.h"

namespace tarnwick {

// Three fml lists, in the register's order: staff (A, c), one that has no roster yet, and 開発
// (dev: a, b, admin).
class MemberSearchDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    f_ = std::make_unique<testing::SentMailsFixture>("\x8A\x4A\x94\xAD");  // 開発
    f_->Sent("RXV1.tmp", "0000000a", "members", 1, "a@x.jp\nb@y.jp\nadmin@example.jp\n");
    f_->lists().Insert(List("staff", "staff", "fml@example.org"));
    f_->lists().Insert(List("zzz", "zzz", "fml@example.net"));
    f_->SentBy("staff", "fml@example.org", "RXV1.tmp", "0000000b", "members", 1,
               "A@x.jp\nc@y.jp\n");
    MailingList& dev = *f_->lists().FindByTitle("\x8A\x4A\x94\xAD");
    dev.Type = ServerKind::Fml;
    dev.Admin = "admin@example.jp";
    dev.Password = "pw";
    dialog_ = std::make_unique<CMemberSearchDlg>(f_->store(), f_->lists(), nullptr);
  }
  void cleanup() {
    dialog_.reset();
    f_.reset();
  }

  // Addresses and patterns, several at once, over every roster read in the background; the
  // list without a roster is named as not searched. With TARNWICK_SHOTS set to a folder, the
  // dialog is saved there as an image to look at.
  void patternsFindTheMembersOnEveryList() {
    Search("a@X.jp  *@y.jp");
    dialog_->show();
    if (const QByteArray shots = qgetenv("TARNWICK_SHOTS"); !shots.isEmpty())
      dialog_->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/member-search.png"));
    QCOMPARE(Rows(), QStringList({"staff A@x.jp", "staff c@y.jp", "開発 a@x.jp", "開発 b@y.jp"}));
    QVERIFY(Table()->item(0, 2)->text().startsWith(QStringLiteral("20")));
    const QString unsearched = dialog_->findChild<QLabel*>("unsearched")->text();
    QVERIFY2(unsearched.contains(QStringLiteral("zzz")) && !unsearched.contains("staff"),
             qPrintable(unsearched));
    Search("nobody@x.jp");
    QCOMPARE(Rows(), QStringList());
  }

  // The rows chosen on each list go from that list only: one mail a list, after a question
  // naming both counts; the fml administrator's own address stays, and the window says so.
  void removingTheSelectedQueuesOneMailPerList() {
    Search("a@x.jp b@y.jp admin@example.jp c@y.jp");
    for (const int row : {1, 2, 4})  // staff c, 開発 a, 開発 admin
      Table()->selectionModel()->select(Table()->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QSignalSpy queued(dialog_.get(), &CMemberSearchDlg::mailsQueued);
    testing::ModalScript script;
    QString question;
    script.ThenMessage(&question);
    dialog_->findChild<QPushButton*>("remove")->click();
    QVERIFY(script.Done());
    QVERIFY2(question.contains(QStringLiteral("2件のMLに、削除のﾒｰﾙを2通")), qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("admin@example.jp は残します")),
             qPrintable(question));
    QCOMPARE(queued.count(), 1);

    const std::vector<std::string> dev = testing::QueuedMails(f_->dir() / "dev");
    QCOMPARE(dev.size(), 1u);
    QVERIFY(dev[0].find("a@x.jp") != std::string::npos);
    QVERIFY(dev[0].find("b@y.jp") == std::string::npos);
    QVERIFY(dev[0].find("bye admin@example.jp") == std::string::npos);
    const std::vector<std::string> staff = testing::QueuedMails(f_->dir() / "staff");
    QCOMPARE(staff.size(), 1u);
    QVERIFY(staff[0].find("c@y.jp") != std::string::npos);
    QVERIFY(staff[0].find("A@x.jp") == std::string::npos);
  }

  void aCancelledRemovalQueuesNothing() {
    Search("a@x.jp");
    Table()->selectAll();
    testing::ModalScript script;
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Cancel); });
    dialog_->findChild<QPushButton*>("remove")->click();
    QVERIFY(script.Done());
    QVERIFY(testing::QueuedMails(f_->dir() / "dev").empty());
  }

  // A double click asks the main window for the row's list and closes the search.
  void aDoubleClickChoosesTheList() {
    Search("c@y.jp");
    QSignalSpy chosen(dialog_.get(), &CMemberSearchDlg::listChosen);
    emit Table()->cellDoubleClicked(0, 1);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().first().toString(), QStringLiteral("staff"));
    QCOMPARE(dialog_->result(), static_cast<int>(QDialog::Accepted));
  }

 private:
  static std::unique_ptr<MailingList> List(const char* title, const char* name,
                                           const char* server) {
    auto list = std::make_unique<MailingList>();
    list->Title = title;
    list->Name = name;
    list->Address = server;
    list->Type = ServerKind::Fml;
    list->Admin = "admin@example.jp";
    list->Password = "pw";
    return list;
  }
  void Search(const char* patterns) {
    dialog_->findChild<QLineEdit*>("patterns")->setText(QString::fromUtf8(patterns));
    dialog_->findChild<QPushButton*>("search")->click();
    QVERIFY(dialog_->searching());
    QTRY_VERIFY(!dialog_->searching());
    WaitForBackgroundWork();
  }
  QTableWidget* Table() { return dialog_->findChild<QTableWidget*>("hits"); }
  QStringList Rows() {
    QStringList rows;
    for (int row = 0; row < Table()->rowCount(); ++row)
      rows << Table()->item(row, 0)->text() + u' ' + Table()->item(row, 1)->text();
    return rows;
  }

  std::unique_ptr<testing::SentMailsFixture> f_;
  std::unique_ptr<CMemberSearchDlg> dialog_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::MemberSearchDlgTest)
#include "member_search_dlg_test.moc"
