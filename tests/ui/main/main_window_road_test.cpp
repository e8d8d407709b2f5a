#include <QDialog>
#include <QFileDialog>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QTreeWidget>
#include <regex>

#include "core/compose/queue_folder.h"
#include "support/modal_script.h"
#include "support/smtp_test_server.h"
#include "support/ui_steps.h"
#include "ui/compose/address_list_plate.h"
#include "ui/main/main_window_harness.h"
#include "ui/platform/window_messages.h"
#include "ui/results/bounce_review_dlg.h"

namespace tarnwick {
namespace {

// A queued mail with its Date line (which follows the clock) checked for form and blanked.
// The mail with what changes from one composition to the next (the date and the token that ties
// replies to it) as "*".
std::string WithoutDateAndToken(const std::string& mail) {
  static const std::regex date(
      "Date: [A-Z][a-z]{2}, \\d\\d [A-Z][a-z]{2} \\d{4} [0-9:]{8} \\S+\r\n"
      "(Subject: .*) \\[[0-9a-f]{8}\\]\r\nMessage-ID: <[^>]+>\r\n");
  return std::regex_replace(mail, date, "Date: *\r\n$1 [*]\r\nMessage-ID: *\r\n");
}

}  // namespace

class MainWindowRoadTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    h_ = std::make_unique<testing::MainWindowHarness>();
    std::vector<std::unique_ptr<MailingList>> lists;
    lists.push_back(testing::MainWindowHarness::List("fml list", ServerKind::Fml, "dev", "pw"));
    lists.push_back(
        testing::MainWindowHarness::List("majordomo list", ServerKind::Majordomo, "maj", "pw"));
    lists.push_back(testing::MainWindowHarness::List("no kind", ServerKind::None, "none"));
    h_->Register(std::move(lists));
  }
  void cleanup() { h_.reset(); }

  void subscribingTwoMembersOfAnFmlListQueuesTheExactMail() {
    h_->Open();
    SubscribeTwo(0);
    const std::vector<std::filesystem::path> queued = QueuedFiles(h_->Folder("dev"));
    QCOMPARE(queued.size(), std::size_t{1});
    QCOMPARE(WithoutDateAndToken(testing::ReadFile(queued[0])),
             std::string("From: admin@example.jp\r\nTo: dev@server.example.jp\r\nDate: *\r\n"
                         "Subject: Subscribe Member [*]\r\nMessage-ID: *\r\n"
                         "X-Command: Subscribe Member\r\n\r\n# admin pass pw\r\n"
                         "# admin add a@example.jp\r\n# admin add b@example.jp\r\n"));
    QCOMPARE(h_->Count(), QStringLiteral("1/1"));
    QVERIFY(h_->Button("createdButton")->isEnabled());
    QVERIFY(h_->Button("sendButton")->isEnabled());
    QCOMPARE(StatusText(), QStringLiteral("「ﾒﾝﾊﾞｰ登録」を %1 として作成しました")
                               .arg(QString::fromStdString(queued[0].filename().string())));
  }

  void createWithNothingToQueueSaysWhy() {
    OpenSubscribePlate();
    h_->Button("createButton")->click();
    QCOMPARE(StatusText(), QStringLiteral("作成しませんでした: ｱﾄﾞﾚｽが追加されていません"));
    QVERIFY(QueuedFiles(h_->Folder("dev")).empty());
  }

  void subscribingTwoMembersOfAMajordomoListQueuesTheExactMail() {
    h_->Open();
    SubscribeTwo(1);
    const std::vector<std::filesystem::path> queued = QueuedFiles(h_->Folder("maj"));
    QCOMPARE(queued.size(), std::size_t{1});
    QCOMPARE(WithoutDateAndToken(testing::ReadFile(queued[0])),
             std::string("From: admin@example.jp\r\nTo: maj@server.example.jp\r\nDate: *\r\n"
                         "Subject: Subscribe Member [*]\r\nMessage-ID: *\r\n"
                         "X-Command: Subscribe Member\r\n\r\n"
                         "approve pw subscribe maj a@example.jp\r\n"
                         "approve pw subscribe maj b@example.jp\r\nend\r\n"));
    QCOMPARE(h_->Count(), QStringLiteral("1/1"));
  }

  void eachKindHasItsTreeAndAListWithoutAKindNone() {
    h_->Open();
    h_->Select(1);
    QCOMPARE(h_->TreeEntries(),
             QStringList({"ﾊﾟｽﾜｰﾄﾞ関係", "ﾊﾟｽﾜｰﾄﾞ関係/ﾊﾟｽﾜｰﾄﾞ変更", "ﾒﾝﾊﾞｰﾘｽﾄ操作",
                          "ﾒﾝﾊﾞｰﾘｽﾄ操作/ﾒﾝﾊﾞｰ一覧", "ﾒﾝﾊﾞｰﾘｽﾄ操作/登録", "ﾒﾝﾊﾞｰﾘｽﾄ操作/削除",
                          "ﾌｧｲﾙ操作", "ﾌｧｲﾙ操作/Infoﾌｧｲﾙ設定", "ﾌｧｲﾙ操作/Introﾌｧｲﾙ設定",
                          "ﾌｧｲﾙ操作/Configﾌｧｲﾙ設定"}));
    h_->Select(0);
    QCOMPARE(h_->TreeEntries().size(), 5 + 25);  // every command but newintro
    QCOMPARE(h_->TreeEntries().mid(22, 8),
             QStringList({"ﾌｧｲﾙ操作/Guideﾌｧｲﾙ設定", "ﾌｧｲﾙ操作/記事削除", "ﾌｧｲﾙ操作/Configﾌｧｲﾙ設定",
                          "その他", "その他/管理者ｺﾏﾝﾄﾞﾍﾙﾌﾟ取得", "その他/ﾛｸﾞ取り寄せ",
                          "その他/PGP", "その他/ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞ"}));
    h_->Select(2);
    QCOMPARE(h_->Field("kindField"), QString());
    QCOMPARE(h_->TreeEntries(), QStringList());
  }

  void choosingACategoryRemovesThePlate() {
    OpenSubscribePlate();
    QVERIFY(h_->Button("createButton")->isEnabled());
    h_->Tree()->setCurrentItem(h_->Tree()->topLevelItem(0));
    QCOMPARE(h_->window().CurrentPlate(), nullptr);
    QVERIFY(!h_->Button("createButton")->isEnabled());
  }

  void anotherListOfTheSameKindKeepsTheTreeButNotThePlate() {
    h_->Register([] {
      std::vector<std::unique_ptr<MailingList>> lists;
      lists.push_back(testing::MainWindowHarness::List("fml list", ServerKind::Fml, "dev", "pw"));
      lists.push_back(testing::MainWindowHarness::List("fml two", ServerKind::Fml, "two"));
      return lists;
    }());
    h_->Open();
    h_->Tree()->expandAll();
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    QTreeWidgetItem* first = h_->Tree()->topLevelItem(0);
    h_->Select(1);
    QCOMPARE(h_->window().CurrentPlate(), nullptr);
    QCOMPARE(h_->Tree()->topLevelItem(0), first);  // not rebuilt
    QVERIFY(first->isExpanded());
  }

  void aDroppedMailReachesAnAddressListPlateOnly() {
    h_->Open();
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "ﾒﾝﾊﾞｰ一覧");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    QVERIFY(!h_->window().acceptDrops());
    testing::ModalScript script;
    Drop({testing::Sample("sendmail_user_unknown.eml")});
    QVERIFY(script.Done());  // no extraction dialog came up

    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr &&
                h_->window().CurrentPlate()->command() == ID_SUBSCRIBE_PLATE);
    QVERIFY(h_->window().acceptDrops());
    script.Then(testing::KeepAllAddresses);
    Drop({testing::Sample("majordomo_approval.eml"), testing::Sample("sendmail_user_unknown.eml")});
    QVERIFY(script.Done());
    QCOMPARE(Plate().addresses().entries(), std::vector<std::string>{"ichiro@example.co.jp"});
  }

  // A mailbox dropped on the 削除 plate is reviewed whole; ﾒｰﾙ → 返送ﾒｰﾙ集計 opens that plate
  // and the review from anywhere.
  void aMailboxIsReviewedIntoTheDeletePlate() {
    const std::filesystem::path mbox = h_->Folder("..") / "returned.mbox";
    std::string mails;
    for (const char* name : {"formats/exim.eml", "formats/qmail.eml"})
      mails += "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n" +
               testing::ReadFile(testing::Sample(name).toStdString()) + "\n";
    testing::WriteFile(mbox, mails);
    h_->Open();
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "削除");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr &&
                h_->window().CurrentPlate()->command() == ID_UNSUBSCRIBE_PLATE);
    testing::ModalScript script;
    script.Then([](QDialog& dialog) -> int {
      auto* review = dynamic_cast<CBounceReviewDlg*>(&dialog);
      if (review == nullptr || !QTest::qWaitFor([&] { return !review->reading(); }, 5000))
        return QDialog::Rejected;
      review->accept();
      return review->result();
    });
    Drop({QString::fromStdString(mbox.string())});
    QVERIFY(script.Done());
    // Permanent failures only: a full mailbox on one day is not yet proposed.
    QCOMPARE(
        Plate().addresses().entries(),
        (std::vector<std::string>{"hana@example.com", "mio@example.ne.jp", "sora@example.com"}));

    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate()->command() == ID_SUBSCRIBE_PLATE);
    bool reviewed = false;
    script.Then([&](QDialog& dialog) {
      reviewed = dynamic_cast<CBounceReviewDlg*>(&dialog) != nullptr;
      return static_cast<int>(QDialog::Rejected);
    });
    for (QAction* action : h_->window().menuBar()->findChildren<QAction*>()) {
      if (action->text() == QStringLiteral("返送ﾒｰﾙ集計(&B)...")) action->trigger();
    }
    QTRY_VERIFY(script.Done());
    QVERIFY(reviewed);
    QCOMPARE(h_->window().CurrentPlate()->command(), ID_UNSUBSCRIBE_PLATE);
  }

  void theCommandLineOpensThePlateAndExtractsFromTheFile() {
    testing::ModalScript script;
    script.Then(testing::KeepAllAddresses);
    h_->Open({"SUBSCRIBE", "FML LIST", testing::Sample("sendmail_user_unknown.eml")});
    QCOMPARE(h_->Field("nameField"), QStringLiteral("dev"));
    QTRY_VERIFY(script.Done());
    QCOMPARE(h_->window().CurrentPlate()->command(), ID_SUBSCRIBE_PLATE);
    QCOMPARE(Plate().addresses().size(), std::size_t{3});
  }

  void theCommandLineOpensUnsubscribeOrNoPlate() {
    h_->Open({"unsubscribe", "majordomo LIST"});
    QCOMPARE(h_->Field("nameField"), QStringLiteral("maj"));
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    QCOMPARE(h_->window().CurrentPlate()->command(), ID_UNSUBSCRIBE_PLATE);

    h_->Open({"members", "majordomo list"});
    QCOMPARE(h_->Field("nameField"), QStringLiteral("maj"));  // the list is still selected
    QCOMPARE(h_->Tree()->currentItem(), nullptr);  // no command chosen, so no plate to come
    QCOMPARE(h_->window().CurrentPlate(), nullptr);
  }

  void deletingOneOfThreeSameTitledMailsInTheManager() {
    h_->Open();
    QueueMembersMail(0, 3);
    QCOMPARE(h_->Count(), QStringLiteral("3/3"));

    QStringList titles;
    DeleteInManager(1, [&](QTreeWidget& list) {
      for (int row = 0; row < list.topLevelItemCount(); ++row)
        titles << list.topLevelItem(row)->text(0);
    });
    QCOMPARE(titles, QStringList(3, QStringLiteral("ﾒﾝﾊﾞｰ一覧")));
    QCOMPARE(QueuedFiles(h_->Folder("dev")).size(), std::size_t{2});
    QCOMPARE(h_->Count(), QStringLiteral("2/2"));
  }

  // A mail that went another way meanwhile (a run sent it) is counted down once, not twice.
  void aMailDeletedAfterItWentElsewhereIsCountedOnce() {
    h_->Open();
    QueueMembersMail(0, 2);
    QCOMPARE(h_->Count(), QStringLiteral("2/2"));
    DeleteInManager(0, [&](QTreeWidget&) {
      for (const std::filesystem::path& file : QueuedFiles(h_->Folder("dev")))
        std::filesystem::remove(file);  // both went out meanwhile
    });
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
    QVERIFY(!h_->Button("createdButton")->isEnabled());
  }

  void sendingCountsUpReportsWhatFailedAndUpdatesTheCounts() {
    const std::filesystem::path outbox = h_->Folder("..") / "outbox";
    std::filesystem::create_directories(outbox);
    testing::SmtpTestServer server(outbox);
    QVERIFY(server.running());
    const SettingsKey common = h_->store().OpenRoot().CreateKey(kCommonKey);
    common.WriteText("SMTPServer", "127.0.0.1");
    common.WriteNumber("SMTPPort", server.port());
    h_->Register([] {
      std::vector<std::unique_ptr<MailingList>> lists;
      lists.push_back(testing::MainWindowHarness::List("fml list", ServerKind::Fml, "dev", "pw"));
      auto refused = testing::MainWindowHarness::List("refused", ServerKind::Fml, "bad");
      refused->Address = "reject@example.jp";
      lists.push_back(std::move(refused));
      return lists;
    }());
    h_->Open();
    QueueMembersMail(0, 2);
    QueueMembersMail(1, 1);
    QCOMPARE(h_->Count(), QStringLiteral("1/3"));

    CountWatcher watcher(h_->window());
    testing::ModalScript script;
    QString report;
    script.ThenMessage(&report);
    h_->Button("sendButton")->click();
    QVERIFY(!h_->Button("sendButton")->isEnabled());  // no second run while this one goes
    QTRY_VERIFY_WITH_TIMEOUT(script.Done(), 10000);
    QCOMPARE(watcher.seen, QStringList({"1/3", "2/3"}));  // as each mail is reported
    QCOMPARE(watcher.progress, QList<int>({1, 2}));
    QVERIFY(report.contains(QStringLiteral("ﾒﾝﾊﾞｰ一覧")));
    QVERIFY2(report.contains(
                 QStringLiteral("送信先: 127.0.0.1:%1\n送信したﾒｰﾙ: 2通\n送信できなかったﾒｰﾙ: 1通\n"
                                "送信していないﾒｰﾙ: 1通")
                     .arg(server.port())),
             qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("応答コード : 550")));
    QVERIFY(!h_->window().findChild<QProgressBar*>("progress")->isVisible());
    QCOMPARE(h_->window().findChild<QLabel*>("countLabel")->text(), QStringLiteral("作成済ﾒｰﾙ数"));
    QCOMPARE(h_->Count(), QStringLiteral("1/1"));  // the refused list is selected
    QCOMPARE(QueuedFiles(h_->Folder("dev")).size(), std::size_t{0});
    QCOMPARE(QueuedFiles(h_->Folder("bad")).size(), std::size_t{1});
    QVERIFY(h_->Button("sendButton")->isEnabled());
    h_->Select(0);
    QCOMPARE(h_->Count(), QStringLiteral("0/1"));
  }

  // Closing stops the run: the mail in flight is finished, the rest stay queued, none is lost
  // or sent twice, and the window goes without waiting out the queue.
  void closingDuringASendStopsIt() {
    const std::unique_ptr<testing::SmtpTestServer> server = FourMailsForASlowServer();
    QVERIFY(server->running());
    h_->Button("sendButton")->click();
    QVERIFY(h_->Button("stopButton")->isVisible());
    QVERIFY(!h_->Button("deleteButton")->isEnabled());  // no list goes while its mail is sent
    h_->window().DeleteList();
    QCOMPARE(h_->View()->model()->rowCount(), 3);
    h_->Close();
    QTRY_VERIFY_WITH_TIMEOUT(!h_->window().isVisible(), 10000);
    const std::size_t sent = SentTo(SlowOutbox());
    QVERIFY2(sent <= 1, "only the mail in flight went out");
    QCOMPARE(sent + QueuedFiles(h_->Folder("dev")).size(), std::size_t{4});
    QCOMPARE(LoadRegister(h_->store()).size(), std::size_t{3});  // saved on close
  }

  // Alt and a letter reaches one thing: a clash only cycles the focus between them.
  void noTwoMnemonicsOfTheWindowClash() {
    OpenSubscribePlate();
    QMap<QChar, QString> seen;
    QStringList clashes;
    const auto take = [&](const QString& text) {
      const qsizetype amp = text.indexOf(u'&');
      if (amp < 0 || amp + 1 >= text.size()) return;
      const QChar key = text[amp + 1].toUpper();
      if (seen.contains(key)) clashes << seen[key] + " / " + text;
      seen[key] = text;
    };
    for (QAction* menu : h_->window().menuBar()->actions())
      take(menu->text());
    for (QAbstractButton* button : h_->window().findChildren<QAbstractButton*>())
      if (button->isVisibleTo(&h_->window())) take(button->text());
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(", ")));
  }

  void theStopButtonEndsTheRunAndKeepsTheRest() {
    const std::unique_ptr<testing::SmtpTestServer> server = FourMailsForASlowServer();
    QVERIFY(server->running());
    testing::ModalScript script;
    QString report;
    script.ThenMessage(&report);
    h_->Button("sendButton")->click();
    h_->Button("stopButton")->click();
    QVERIFY(!h_->Button("stopButton")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(script.Done(), 10000);
    QVERIFY2(report.contains(QStringLiteral("送信を中止しました")), qPrintable(report));
    QVERIFY(!h_->Button("stopButton")->isVisible());
    const std::size_t sent = SentTo(SlowOutbox());
    QCOMPARE(sent + QueuedFiles(h_->Folder("dev")).size(), std::size_t{4});
    QCOMPARE(h_->Count(), QStringLiteral("%1/%1").arg(4 - sent));
  }

  void theNextMailGoesToTheFolderChosenInTheCommonSettings() {
    const std::filesystem::path chosen = h_->Folder("..") / "elsewhere";
    std::filesystem::create_directories(chosen);
    h_->Open();
    testing::ModalScript script;
    script.Then([&](QDialog& settings) {
      settings.findChild<QPushButton*>("mailBoxBrowse")->click();  // answered by the next step
      settings.accept();
      return settings.result();
    });
    script.Then([&](QDialog& chooser) {
      qobject_cast<QFileDialog*>(&chooser)->selectFile(QString::fromStdString(chosen.string()));
      return static_cast<int>(QDialog::Accepted);
    });
    h_->window().EditCommonSettings();
    QVERIFY(script.Done());
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "ﾒﾝﾊﾞｰ一覧");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    h_->Button("createButton")->click();
    QCOMPARE(QueuedFiles(chosen / "dev").size(), std::size_t{1});
    QCOMPARE(QueuedFiles(h_->Folder("dev")).size(), std::size_t{0});
  }

  void aListNameThatLeavesTheMailBoxIsRefusedWithAMessage() {
    h_->Register([] {
      std::vector<std::unique_ptr<MailingList>> lists;
      lists.push_back(testing::MainWindowHarness::List("odd", ServerKind::Fml, ".."));
      return lists;
    }());
    h_->Open();
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "ﾒﾝﾊﾞｰ一覧");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    h_->Button("createButton")->click();
    QVERIFY(script.Done());
    QVERIFY(message.startsWith(QStringLiteral("ﾘｽﾄ名")));
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
  }

  // An address fml would not take is refused as it is typed, named, and not added.
  void aTypedAddressTheServerWouldRefuseIsNamedAtOnce() {
    OpenSubscribePlate();
    testing::ModalScript script;
    script.Then(testing::TypeAddress("a@example.jp"));
    script.Then(testing::TypeAddress("o'brien@example.jp"));
    QString message;
    script.ThenMessage(&message);
    QPushButton* add = h_->window().CurrentPlate()->findChild<QPushButton*>("addButton");
    add->click();
    add->click();
    QVERIFY(script.Done());
    QVERIFY2(message.startsWith(QStringLiteral("ｱﾄﾞﾚｽ「o'brien@example.jp」の「'」はFML")),
             qPrintable(message));
    QCOMPARE(Plate().findChild<QListWidget*>()->count(), 1);
  }

  // A value refused at 作成 is named in a message; the plate keeps its input, nothing is queued.
  void aRefusedMailIsNamedAndThePlateKeepsItsInput() {
    h_->Register([] {
      std::vector<std::unique_ptr<MailingList>> lists;
      lists.push_back(testing::MainWindowHarness::List("fml list", ServerKind::Fml, "dev", "pa$s"));
      return lists;
    }());
    OpenSubscribePlate();
    testing::ModalScript script;
    script.Then(testing::TypeAddress("a@example.jp"));
    QString message;
    script.ThenMessage(&message);
    h_->window().CurrentPlate()->findChild<QPushButton*>("addButton")->click();
    h_->Button("createButton")->click();
    QVERIFY(script.Done());
    QVERIFY2(message.startsWith(QStringLiteral("ML「fml list」のﾊﾟｽﾜｰﾄﾞの「$」")),
             qPrintable(message));
    QCOMPARE(Plate().findChild<QListWidget*>()->count(), 1);
    QVERIFY(QueuedFiles(h_->Folder("dev")).empty());
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
  }

 private:
  // Notes the count text as the progress moves with each delivered mail.
  struct CountWatcher {
    explicit CountWatcher(QWidget& window) {
      auto* bar = window.findChild<QProgressBar*>("progress");
      auto* count = window.findChild<QLabel*>("countText");
      QObject::connect(bar, &QProgressBar::valueChanged, bar, [this, count](int value) {
        if (value <= 0) return;
        seen << count->text();
        progress << value;
      });
    }
    QStringList seen;
    QList<int> progress;
  };

  QString StatusText() { return h_->window().statusBar()->currentMessage(); }

  // A mail server on this machine that takes half a second over each mail, set as the server.
  // The window open on the first list's 登録 plate.
  void OpenSubscribePlate() {
    h_->Open();
    h_->Select(0);
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
  }

  std::filesystem::path SlowOutbox() { return h_->Folder("..") / "outbox"; }
  static std::size_t SentTo(const std::filesystem::path& outbox) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(outbox),
                                                  std::filesystem::directory_iterator()));
  }
  // The window open with four mails queued for the first list, for a server that takes each
  // slowly enough for a run to be interrupted.
  std::unique_ptr<testing::SmtpTestServer> FourMailsForASlowServer() {
    auto server = SlowServer(SlowOutbox());
    h_->Open();
    QueueMembersMail(0, 4);
    return server;
  }

  std::unique_ptr<testing::SmtpTestServer> SlowServer(const std::filesystem::path& outbox) {
    std::filesystem::create_directories(outbox);
    testing::SmtpTestServer::Options slow;
    slow.delaySeconds = 0.5;
    auto server = std::make_unique<testing::SmtpTestServer>(outbox, slow);
    const SettingsKey common = h_->store().OpenRoot().CreateKey(kCommonKey);
    common.WriteText("SMTPServer", "127.0.0.1");
    common.WriteNumber("SMTPPort", server->port());
    return server;
  }

  // Selects the list, opens its members plate and queues that many mails with it.
  void QueueMembersMail(int row, int mails) {
    h_->Select(row);
    h_->Tree()->setCurrentItem(h_->Tree()->topLevelItem(0));  // the entry may still be current
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "ﾒﾝﾊﾞｰ一覧");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    for (int i = 0; i < mails; ++i)
      h_->Button("createButton")->click();
  }

  // In 作成済みﾒｰﾙ操作: looks at the list, deletes the row (answering the question), closes.
  void DeleteInManager(int row, const std::function<void(QTreeWidget&)>& look) {
    testing::ModalScript script;
    script.Then([&](QDialog& manager) {
      auto* list = manager.findChild<QTreeWidget*>("titleList");
      look(*list);
      list->setCurrentItem(list->topLevelItem(row));
      manager.findChild<QPushButton*>("deleteButton")->click();
      return static_cast<int>(QDialog::Rejected);  // 閉じる
    });
    script.ThenMessage();  // 削除して良いですか
    h_->Button("createdButton")->click();
    QVERIFY(script.Done());
  }

  CAddressListPlate& Plate() {
    return *dynamic_cast<CAddressListPlate*>(h_->window().CurrentPlate());
  }

  void SubscribeTwo(int row) {
    h_->Select(row);
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    testing::ModalScript script;
    script.Then(testing::TypeAddress("b@example.jp"));
    script.Then(testing::TypeAddress("a@example.jp"));
    QPushButton* add = h_->window().CurrentPlate()->findChild<QPushButton*>("addButton");
    add->click();
    add->click();
    h_->Button("createButton")->click();
    QVERIFY(script.Done());
  }

  void Drop(const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
      urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    // As a desktop drags: the window is entered first, and only a window that took the entry
    // gets the drop.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&h_->window(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&h_->window(), &drop);
  }

  std::unique_ptr<testing::MainWindowHarness> h_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::MainWindowRoadTest)
#include "main_window_road_test.moc"
