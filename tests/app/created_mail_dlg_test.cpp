#include "app/created_mail_dlg.h"

#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "platform/desktop.h"
#include "support/modal_script.h"
#include "support/temp_dir.h"

namespace tarnwick {

class CreatedMailDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    list_ = MailingList();
    list_.Name = "dev";
    Queue("RXV1.tmp", "X-Command: Subscribe Member\r\n");
    Queue("RXV2.tmp", "X-Command: Get Config\r\n");
    Queue("RXV3.tmp", "From: a\r\n\r\nno title here\r\n");
    queue_ = std::make_unique<MailQueue>(dir_->path().string());
    queue_->Observe([this](const std::string& name) { changed_ << QString::fromStdString(name); });
    changed_.clear();
    dialog_ = std::make_unique<CCreatedMailDlg>(list_, *queue_, nullptr);
  }
  void cleanup() {
    dialog_.reset();
    queue_.reset();
    dir_.reset();
  }

  void titlesAreSortedAndTheButtonsWaitForASelection() {
    QCOMPARE(Titles(), QStringList({"Get Config", "Subscribe Member"}));
    QVERIFY(!Button("editButton")->isEnabled());
    QVERIFY(!Button("deleteButton")->isEnabled());
    List()->setCurrentRow(1);
    QVERIFY(Button("editButton")->isEnabled());
    QVERIFY(Button("deleteButton")->isEnabled());
  }

  void editOpensTheQueuedFileWithTheDesktop() {
    QString opened;
    SetDesktopHookForTesting([&](const QString& path) { opened = path; });
    List()->setCurrentRow(1);
    Button("editButton")->click();
    SetDesktopHookForTesting({});
    QCOMPARE(opened, QString::fromStdString((dir_->path() / "dev" / "RXV1.tmp").string()));
  }

  void deletingEveryTitleLeavesTheUntitledMailCounted() {
    List()->setCurrentRow(0);
    Button("deleteButton")->click();
    QCOMPARE(Titles(), QStringList({"Subscribe Member"}));
    QCOMPARE(List()->currentRow(), 0);  // the first remaining title is selected
    Button("deleteButton")->click();
    QCOMPARE(Titles(), QStringList());
    QCOMPARE(queue_->Count("dev"), 1);
    QCOMPARE(changed_, QStringList({"dev", "dev"}));  // whoever counts was told each time
    QVERIFY(std::filesystem::exists(dir_->path() / "dev" / "RXV3.tmp"));
    QVERIFY(!std::filesystem::exists(dir_->path() / "dev" / "RXV1.tmp"));
    // Still one mail queued: the buttons stay, and 削除 over the empty list does nothing.
    QVERIFY(Button("deleteButton")->isEnabled());
    Button("deleteButton")->click();
    QCOMPARE(queue_->Count("dev"), 1);
  }

  // Gone already (a run sent it meanwhile): it is not queued any more, and counted once.
  void aMailGoneMeanwhileLeavesTheListQuietly() {
    std::filesystem::remove(dir_->path() / "dev" / "RXV2.tmp");
    testing::ModalScript script;  // no message may come up
    List()->setCurrentRow(0);
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Titles(), QStringList({"Subscribe Member"}));
    QCOMPARE(queue_->Count("dev"), 2);
  }

  void aFileThatCantBeDeletedIsReportedAndStays() {
    // Replaced behind the dialog's back by something that can't be removed.
    std::filesystem::remove(dir_->path() / "dev" / "RXV2.tmp");
    Queue("RXV2.tmp/inside", "x");
    testing::ModalScript script;
    script.ThenMessage();
    List()->setCurrentRow(0);
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Titles(), QStringList({"Get Config", "Subscribe Member"}));
  }

 private:
  void Queue(const char* name, const std::string& text) {
    testing::WriteFile(dir_->path() / "dev" / name, text);
  }
  QListWidget* List() { return dialog_->findChild<QListWidget*>("titleList"); }
  QPushButton* Button(const char* name) { return dialog_->findChild<QPushButton*>(name); }
  QStringList Titles() {
    QStringList titles;
    for (int row = 0; row < List()->count(); ++row)
      titles << List()->item(row)->text();
    return titles;
  }

  std::unique_ptr<testing::TempDir> dir_;
  MailingList list_;
  std::unique_ptr<MailQueue> queue_;
  QStringList changed_;
  std::unique_ptr<CCreatedMailDlg> dialog_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::CreatedMailDlgTest)
#include "created_mail_dlg_test.moc"
