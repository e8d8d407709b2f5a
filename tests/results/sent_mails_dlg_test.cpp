#include "results/sent_mails_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "app/main_dialog.h"
#include "store/common_settings.h"
#include "support/modal_script.h"
#include "support/temp_dir.h"

namespace tarnwick {

class SentMailsDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    store_ = std::make_unique<SettingsStore>(dir_->path() / "registry.db");
    store_->OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", dir_->path().string());
    auto list = std::make_unique<MailingList>();
    list->Title = "\x8A\x4A\x94\xAD";  // 開発
    list->Name = "dev";
    list->Address = "fml@example.jp";
    lists_ = MailingListRegister();
    lists_.Insert(std::move(list));
    Sent("RXV1.tmp", "0000000a", "members", 1, "a@x.jp\nb@x.jp\n");
    Sent("RXV2.tmp", "0000000b", "members", 2, "B@x.jp\nc@x.jp\n");
    Sent("RXV3.tmp", "0000000c", "bye nobody@x.jp", 3, "");
  }
  void cleanup() {
    store_.reset();
    dir_.reset();
  }

  void eachSentMailShowsItsStateAndTheFailuresAreCounted() {
    CSentMailsDlg dialog(*store_, lists_, nullptr);
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
    CSentMailsDlg dialog(*store_, lists_, nullptr);
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
    QVERIFY(!AddToRegister(*store_, lists_.at(0)).has_value());
    CMainDialog window(*store_);
    auto* failed = window.findChild<QLabel*>("failedText");
    QTRY_VERIFY(failed->isVisibleTo(&window));
    QCOMPARE(failed->text(), QStringLiteral("失敗 1通"));
  }

  void aFetchWithoutAServerSaysSoWithoutTheWindowWaiting() {
    CSentMailsDlg dialog(*store_, lists_, nullptr);
    dialog.findChild<QPushButton*>("fetch")->click();
    QTRY_VERIFY(!dialog.fetching());
    QCOMPARE(dialog.findChild<QLabel*>("fetchStatus")->text(),
             QStringLiteral("受信ｻｰﾊﾞｰが設定されていません"));
  }

 private:
  // A sent fml mail of the list, sent `minutes` after the first, with fml's replies: its status
  // report (a failure when the command is a bye), and for members the roster.
  void Sent(const std::string& name, const std::string& token, const std::string& command,
            int minutes, const std::string& members) {
    const std::string id = "<20261207." + token + "@example.jp>";
    const auto file = dir_->path() / ".sent" / "dev" / name;
    testing::WriteFile(file, "From: admin@example.jp\r\nTo: fml@example.jp\r\nSubject: T [" +
                                 token + "]\r\nMessage-ID: " + id + "\r\nX-Command: T\r\n\r\n" +
                                 "# admin pass pw\r\n# admin " + command + "\r\n");
    std::filesystem::last_write_time(
        file, std::filesystem::file_time_type::clock::now() + std::chrono::minutes(minutes));
    const std::string header =
        "From: fml-admin@example.jp\nReply-To: fml@example.jp\nReferences: " + id + "\n";
    const std::string result = members.empty() ? "失敗しました\n" : "\n";
    testing::WriteFile(dir_->path() / ".replies" / (token + "s.eml"),
                       header +
                           "Subject: status\nContent-Type: text/plain; charset=utf-8\n\n"
                           ">>> admin pass ********\nOK\n>>> admin " +
                           command + "\n" + result);
    if (!members.empty()) {
      testing::WriteFile(dir_->path() / ".replies" / (token + "m.eml"),
                         header + "Subject: members (dev ML)\n\n-----\n" + members + "-----\n");
    }
  }

  std::unique_ptr<testing::TempDir> dir_;
  std::unique_ptr<SettingsStore> store_;
  MailingListRegister lists_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::SentMailsDlgTest)
#include "sent_mails_dlg_test.moc"
