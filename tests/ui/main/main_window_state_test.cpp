// The main window as its state changes under it: shortcuts that follow the queue, counts that
// follow other programs, a first start, a mail box that moves, a run that ends or is cut short.
#include <sys/stat.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QtTest>

#include "core/compose/queue_folder.h"
#include "core/compose/queue_writer.h"
#include "support/modal_script.h"
#include "support/smtp_test_server.h"
#include "ui/compose/address_list_plate.h"
#include "ui/main/main_window_harness.h"

namespace tarnwick {

class MainWindowStateTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    h_ = std::make_unique<testing::MainWindowHarness>();
    std::vector<std::unique_ptr<MailingList>> lists;
    lists.push_back(testing::MainWindowHarness::List("fml list", ServerKind::Fml, "dev", "pw"));
    lists.push_back(
        testing::MainWindowHarness::List("majordomo list", ServerKind::Majordomo, "maj", "pw"));
    h_->Register(std::move(lists));
  }
  void cleanup() { h_.reset(); }

  // F5 and Ctrl+Return work whenever their buttons do, whatever the menu showed when it was
  // last opened; a finished run reports what it delivered.
  void theShortcutsFollowTheQueueNotTheLastOpenedMenu() {
    testing::SmtpTestServer server(Outbox());
    QVERIFY(server.running());
    UseServer(server.port());
    h_->Open();
    QVERIFY(QTest::qWaitForWindowActive(&h_->window()));
    OpenAndCloseMenu("ﾒｰﾙ(&M)");  // on an empty queue, with no plate
    h_->Select(0);
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "ﾒﾝﾊﾞｰ一覧");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    QTest::keyClick(&h_->window(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(h_->Count(), QStringLiteral("1/1"));
    h_->Button("createButton")->click();
    h_->Button("createButton")->click();
    QCOMPARE(h_->Count(), QStringLiteral("3/3"));

    testing::ModalScript script;
    QString report;
    script.ThenMessage(&report);
    QTest::keyClick(&h_->window(), Qt::Key_F5);
    QTRY_VERIFY_WITH_TIMEOUT(script.Done(), 10000);
    QVERIFY2(report.startsWith(QStringLiteral("送信しました。")), qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("送信したﾒｰﾙ: 3通\n送信できなかったﾒｰﾙ: 0通\n"
                                            "送信していないﾒｰﾙ: 0通")),
             qPrintable(report));
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
    QVERIFY(!Action("ﾒｰﾙ送信(&S)")->isEnabled());  // and nothing is left to send
    QVERIFY(Action("ｺﾏﾝﾄﾞﾒｰﾙ作成(&C)")->isEnabled());
  }

  // Without a list the count is that of every list; mails queued by tarnwick-cli show at once,
  // in a list folder that was there and in one made since.
  void theCountsShowTheTotalAndFollowOtherPrograms() {
    h_->Open();
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
    QVERIFY(!std::filesystem::exists(h_->Folder("dev")));
    QCOMPARE(QueueMail(h_->MailBox(), "dev", "To: dev@server.example.jp\r\n\r\n").status,
             QueueStatus::Queued);
    QTRY_COMPARE(h_->Count(), QStringLiteral("1/1"));
    QCOMPARE(QueueMail(h_->MailBox(), "dev", "To: dev@server.example.jp\r\n\r\n").status,
             QueueStatus::Queued);
    QCOMPARE(QueueMail(h_->MailBox(), "maj", "To: maj@server.example.jp\r\n\r\n").status,
             QueueStatus::Queued);
    QTRY_COMPARE(h_->Count(), QStringLiteral("2/3"));
    QVERIFY(Action("ﾒｰﾙ送信(&S)")->isEnabled());
    h_->View()->selectionModel()->clearSelection();
    QCOMPARE(h_->Count(), QStringLiteral("3"));
    QVERIFY(!Action("作成済ﾒｰﾙ編集(&E)")->isEnabled());
    std::filesystem::remove_all(h_->Folder("dev"));
    QTRY_COMPARE(h_->Count(), QStringLiteral("1"));
  }

  // A list with queued mails goes only with them, or stays.
  void deletingAListWithQueuedMailsAsksWhetherTheyGoToo() {
    h_->Open();
    h_->Select(0);
    for (int i = 0; i < 2; ++i)
      QueueMail(h_->MailBox(), "dev", "To: dev@server.example.jp\r\n\r\n");
    QTRY_COMPARE(h_->Count(), QStringLiteral("2/2"));
    testing::ModalScript script;
    QString question, stay;
    bool stayIsTheDefault = false;
    script.Then([&](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      question = box->text();
      stay = box->button(QMessageBox::Cancel)->text();
      stayIsTheDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
      return static_cast<int>(QMessageBox::Cancel);
    });
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Ok); });  // ﾒｰﾙも削除する
    h_->window().DeleteList();
    QVERIFY2(question.contains(QStringLiteral("作成済ﾒｰﾙが2通あります")), qPrintable(question));
    QCOMPARE(stay, QStringLiteral("ﾘｽﾄを残す"));
    QVERIFY(stayIsTheDefault);
    QCOMPARE(h_->View()->model()->rowCount(), 2);
    QCOMPARE(QueuedFiles(h_->Folder("dev")).size(), std::size_t{2});
    h_->window().DeleteList();
    QVERIFY(script.Done());
    QCOMPARE(h_->View()->model()->rowCount(), 1);
    QVERIFY(QueuedFiles(h_->Folder("dev")).empty());
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
  }

  // Closing while sending says what the window still waits for, then it goes.
  void closingWhileSendingSaysWhatItWaitsFor() {
    testing::SmtpTestServer::Options slow;
    slow.delaySeconds = 0.5;
    testing::SmtpTestServer server(Outbox(), slow);
    UseServer(server.port());
    h_->Open();
    h_->Select(0);
    for (int i = 0; i < 3; ++i)
      QueueMail(h_->MailBox(), "dev", "To: dev@server.example.jp\r\n\r\n");
    QTRY_COMPARE(h_->Count(), QStringLiteral("3/3"));
    h_->Button("sendButton")->click();
    QVERIFY(!Action("共通設定(&C)")->isEnabled());  // a run holds its mail box's files
    h_->Close();
    QVERIFY(h_->window().isVisible());
    const QString said = h_->window().statusBar()->currentMessage();
    QVERIFY2(said.contains(QStringLiteral("送信中のﾒｰﾙが終わるのを待っています (127.0.0.1:%1)")
                               .arg(server.port())),
             qPrintable(said));
    QTRY_VERIFY_WITH_TIMEOUT(!h_->window().isVisible(), 10000);
  }

  // 送信 with no SMTP server set names the field to fill and where it is, and starts nothing.
  void sendingWithoutAServerNamesTheField() {
    h_->Open();
    QueueMail(h_->MailBox(), "dev", "To: dev@server.example.jp\r\n\r\n");
    QTRY_VERIFY(h_->Button("sendButton")->isEnabled());
    testing::ModalScript script;
    QString text;
    script.ThenMessage(&text);
    h_->Button("sendButton")->click();
    QVERIFY(script.Done());
    QVERIFY2(text.contains(QStringLiteral("設定 → 共通設定の「SMTPｻｰﾊﾞ名」")), qPrintable(text));
    QVERIFY(!h_->Button("stopButton")->isVisible());
    QCOMPARE(QueuedFiles(h_->Folder("dev")).size(), std::size_t{1});
  }

  // A new mail box folder takes the queued mails along when the user agrees, and only then.
  void aNewMailBoxTakesTheQueueAlongWhenAsked() {
    for (const bool agree : {false, true}) {
      init();
      h_->Open();
      for (int i = 0; i < 2; ++i)
        QueueMail(h_->MailBox(), "dev", "To: dev@server.example.jp\r\n\r\n");
      const std::filesystem::path chosen = h_->Folder("..") / "elsewhere";
      std::filesystem::create_directories(chosen);
      testing::ModalScript script;
      QString question;
      script.Then([&](QDialog& settings) {
        settings.findChild<QLineEdit*>("mailBox")->setText(QString::fromStdString(chosen));
        settings.accept();
        return settings.result();
      });
      script.Then([&](QDialog& dialog) {
        question = qobject_cast<QMessageBox*>(&dialog)->text();
        return static_cast<int>(agree ? QMessageBox::Ok : QMessageBox::Cancel);
      });
      h_->window().EditCommonSettings();
      QVERIFY(script.Done());
      QVERIFY2(question.contains(QStringLiteral("作成済ﾒｰﾙが2通あります")), qPrintable(question));
      QCOMPARE(QueuedFiles(chosen / "dev").size(), std::size_t{agree ? 2u : 0u});
      QCOMPARE(QueuedFiles(h_->Folder("dev")).size(), std::size_t{agree ? 0u : 2u});
      QCOMPARE(h_->Count(), agree ? QStringLiteral("2/2") : QStringLiteral("0/0"));
    }
  }

  // A first start opens the guide by itself; skipped, the window works on the default folder,
  // made private; 設定 → 設定ｶﾞｲﾄﾞ opens it again.
  void aFirstStartOpensTheGuideAndTheDefaultFolderIsMade() {
    h_ = std::make_unique<testing::MainWindowHarness>();
    h_->ForgetMailBox();
    testing::ModalScript script;
    QString opened;
    script.Then([&](QDialog& guide) {
      opened = guide.objectName();
      return static_cast<int>(QDialog::Rejected);  // ｽｷｯﾌﾟ
    });
    h_->Open();
    QTRY_VERIFY(script.Done());
    QCOMPARE(opened, QStringLiteral("firstStart"));
    struct stat info {};
    QCOMPARE(stat(h_->DefaultBox().c_str(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);

    QCOMPARE(qobject_cast<QMenu*>(Action("共通設定(&C)")->parent())->title(),
             QStringLiteral("設定(&S)"));
    script.Then([&](QDialog& guide) {
      opened = guide.objectName() + "/again";
      return static_cast<int>(QDialog::Rejected);
    });
    Action("設定ｶﾞｲﾄﾞ(&G)...")->trigger();
    QVERIFY(script.Done());
    QCOMPARE(opened, QStringLiteral("firstStart/again"));
  }

  // With a list registered, or a mail box set, the guide waits in the menu; a new list starts
  // with the administrator's address of the settings.
  void laterStartsLeaveTheGuideInTheMenu() {
    h_->ForgetMailBox();  // lists are registered
    h_->store().OpenRoot().CreateKey(kCommonKey).WriteText("AdminAddress", "me@example.jp");
    testing::ModalScript script;
    QString admin;
    script.Then([&](QDialog& details) {
      admin = details.findChild<QLineEdit*>("admin")->text();
      return static_cast<int>(QDialog::Rejected);
    });
    h_->Open();
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });  // behind whatever the start posted
    QTRY_VERIFY(later);
    QVERIFY(!script.Done());  // no guide took the step
    h_->Button("addButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(admin, QStringLiteral("me@example.jp"));
  }

  // Addresses entered in a plate stay with their list and command while others are looked at,
  // and come back with them; a mail composed from them ends their keeping.
  void enteredAddressesComeBackWithTheirListAndCommand() {
    h_->Open();
    OpenPlate(0, "登録");
    Plate()->PasteAddresses(QStringLiteral("b@example.jp"));  // one at a time: no report to answer
    Plate()->PasteAddresses(QStringLiteral("a@example.jp"));
    OpenPlate(0, "削除");
    QVERIFY(Entries().empty());
    Plate()->PasteAddresses(QStringLiteral("gone@example.jp"));
    OpenPlate(1, "登録");
    QVERIFY2(Entries().empty(), "another list has addresses of its own");
    OpenPlate(0, "登録");
    QCOMPARE(Entries(), (std::vector<std::string>{"a@example.jp", "b@example.jp"}));
    OpenPlate(0, "削除");
    QCOMPARE(Entries(), std::vector<std::string>{"gone@example.jp"});

    OpenPlate(0, "登録");
    h_->Button("createButton")->click();
    QCOMPARE(h_->Count(), QStringLiteral("1/1"));
    OpenPlate(0, "削除");
    OpenPlate(0, "登録");
    QVERIFY2(Entries().empty(), "composed, they are kept no longer");
  }

  // Closing the window drops what no mail was made of only when the user agrees.
  void closingAsksBeforeDroppingEnteredAddresses() {
    h_->Open();
    OpenPlate(0, "登録");
    Plate()->PasteAddresses(QStringLiteral("a@example.jp"));
    OpenPlate(0, "削除");
    Plate()->PasteAddresses(QStringLiteral("b@example.jp"));
    QString question;
    {
      testing::ModalScript script;
      script.Then([&](QDialog& box) {
        question = qobject_cast<QMessageBox*>(&box)->text();
        return static_cast<int>(QMessageBox::Cancel);
      });
      h_->Close();
      QVERIFY(script.Done());
    }
    QVERIFY2(question.contains(QStringLiteral("2件")), qPrintable(question));
    QVERIFY(h_->window().isVisible());
    QCOMPARE(Entries(), std::vector<std::string>{"b@example.jp"});
    testing::ModalScript script;
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Ok); });
    h_->Close();
    QVERIFY(script.Done());
    QVERIFY(!h_->window().isVisible());
  }

 private:
  std::filesystem::path Outbox() {
    const std::filesystem::path outbox = h_->Folder("..") / "outbox";
    std::filesystem::create_directories(outbox);
    return outbox;
  }
  void UseServer(std::uint32_t port) {
    const SettingsKey common = h_->store().OpenRoot().CreateKey(kCommonKey);
    common.WriteText("SMTPServer", "127.0.0.1");
    common.WriteNumber("SMTPPort", port);
  }
  // The command's plate of the list, made anew.
  void OpenPlate(int row, const char* entry) {
    h_->Select(row);
    const QPointer<CPlate> before = h_->window().CurrentPlate();
    h_->Choose(QStringLiteral("ﾒﾝﾊﾞｰﾘｽﾄ操作"), QString::fromUtf8(entry));
    QTRY_VERIFY(before.isNull() && h_->window().CurrentPlate() != nullptr);
  }
  CAddressListPlate* Plate() {
    return dynamic_cast<CAddressListPlate*>(h_->window().CurrentPlate());
  }
  std::vector<std::string> Entries() { return Plate()->addresses().entries(); }
  QAction* Action(const char* text) {
    for (QAction* menu : h_->window().menuBar()->actions()) {
      for (QAction* action : menu->menu()->actions())
        if (action->text() == QString::fromUtf8(text)) return action;
    }
    return nullptr;
  }
  // Opens the menu, as a click on it does, and closes it again.
  void OpenAndCloseMenu(const char* title) {
    for (QAction* menu : h_->window().menuBar()->actions()) {
      if (menu->text() != QString::fromUtf8(title)) continue;
      menu->menu()->popup(QPoint(0, 0));
      QTRY_VERIFY(menu->menu()->isVisible());
      menu->menu()->hide();
    }
    h_->window().activateWindow();  // the platform leaves a closed popup active
    QVERIFY(QTest::qWaitForWindowActive(&h_->window()));
  }

  std::unique_ptr<testing::MainWindowHarness> h_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::MainWindowStateTest)
#include "main_window_state_test.moc"
