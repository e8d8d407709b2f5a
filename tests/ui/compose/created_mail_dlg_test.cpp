#include "ui/compose/created_mail_dlg.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "support/modal_script.h"
#include "support/one_folder.h"
#include "support/temp_dir.h"
#include "ui/platform/desktop.h"

namespace tarnwick {

class CreatedMailDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    list_ = MailingList();
    list_.Name = "dev";
    Queue(
        "RXV1.tmp",
        "X-Command: Subscribe Member\r\n\r\napprove s3cret subscribe dev \x8A\x4A@example.jp\r\n");
    Queue("RXV2.tmp", "X-Command: Get Config\r\n");
    Queue("RXV3.tmp", "From: a\r\n\r\nno title here\r\n");
    queue_ = std::make_unique<MailQueue>(dir_->path().string());
    queue_->Observe([this] { ++changed_; });
    changed_ = 0;
    Reopen();
  }
  void cleanup() {
    dialog_.reset();
    queue_.reset();
    dir_.reset();
  }

  void rowsNameEachMailAndTheButtonsWaitForASelection() {
    Queue("RXV0.tmp", "X-Command: Get Config\r\n");  // made later, though its name sorts first
    std::filesystem::last_write_time(
        dir_->path() / "dev" / "RXV0.tmp",
        std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
    Reopen();
    QCOMPARE(Column(0), QStringList({"Configﾌｧｲﾙ取り寄せ", "Configﾌｧｲﾙ取り寄せ", "ﾒﾝﾊﾞｰ登録"}));
    QCOMPARE(Column(1), QStringList({"dev", "dev", "dev"}));
    QCOMPARE(Column(3), QStringList({"RXV2.tmp", "RXV0.tmp", "RXV1.tmp"}));
    QVERIFY(QDateTime::fromString(Column(2)[0], "yyyy/MM/dd HH:mm:ss").isValid());
    QVERIFY(!Button("editButton")->isEnabled());
    QVERIFY(!Button("deleteButton")->isEnabled());
    Select({2});
    QVERIFY(Button("editButton")->isEnabled());
    QVERIFY(Button("deleteButton")->isEnabled());
  }

  void thePreviewShowsTheMailWithItsPasswordHiddenUnlessAsked() {
    QVERIFY(Preview().isEmpty());
    Select({1});
    QVERIFY2(Preview().contains("approve ******** subscribe dev 開@example.jp"),
             qPrintable(Preview()));
    QVERIFY(!Preview().contains("s3cret"));
    dialog_->findChild<QCheckBox*>("showPasswords")->setChecked(true);
    QVERIFY(Preview().contains("approve s3cret subscribe"));
    Select({0, 1});  // two mails: no single one to show
    QVERIFY(Preview().isEmpty());
  }

  void editOpensTheQueuedFileOrSaysItCouldNot() {
    QStringList opened;
    bool desktopCanOpen = true;
    SetDesktopHookForTesting([&](const QString& path) {
      opened << path;
      return desktopCanOpen;
    });
    Select({1});
    Button("editButton")->click();
    QCOMPARE(opened,
             QStringList({QString::fromStdString((dir_->path() / "dev" / "RXV1.tmp").string())}));
    desktopCanOpen = false;
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    Button("editButton")->click();
    SetDesktopHookForTesting({});
    QVERIFY(script.Done());
    QVERIFY2(message.contains("RXV1.tmp"), qPrintable(message));
  }

  void deleteAsksOnceNamingTheMailAndCancelKeepsIt() {
    Select({1});
    testing::ModalScript script;
    QString question;
    bool cancelIsDefault = false;
    script.Then([&](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      question = box->text();
      cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
      return static_cast<int>(QMessageBox::Cancel);
    });
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QVERIFY2(question.contains("ﾒﾝﾊﾞｰ登録") && question.contains("RXV1.tmp"), qPrintable(question));
    QVERIFY(cancelIsDefault);
    QCOMPARE(Column(0), QStringList({"Configﾌｧｲﾙ取り寄せ", "ﾒﾝﾊﾞｰ登録"}));
    QCOMPARE(queue_->Count(testing::OneFolder("dev")), 3);
  }

  void deletingSeveralAsksOnceAndTheSelectionStaysNear() {
    Queue("RXV4.tmp", "X-Command: Who\r\n");
    Queue("RXV5.tmp", "X-Command: Lists\r\n");
    Reopen();
    QCOMPARE(Column(0), QStringList({"Configﾌｧｲﾙ取り寄せ", "Lists", "ﾒﾝﾊﾞｰ登録", "Who"}));
    Select({1, 2});
    testing::ModalScript script;
    QString question;
    script.ThenMessage(&question);
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QVERIFY2(question.contains("2通"), qPrintable(question));
    QCOMPARE(Column(0), QStringList({"Configﾌｧｲﾙ取り寄せ", "Who"}));
    QCOMPARE(List()->indexOfTopLevelItem(List()->currentItem()), 1);
    QCOMPARE(changed_, 2);  // whoever counts was told each time
    QCOMPARE(queue_->Count(testing::OneFolder("dev")), 3);
  }

  void deletingEveryTitleLeavesTheUntitledMailCounted() {
    testing::ModalScript script;
    script.ThenMessage();
    script.ThenMessage();
    Select({0});
    Button("deleteButton")->click();
    QCOMPARE(Column(0), QStringList({"ﾒﾝﾊﾞｰ登録"}));
    Button("deleteButton")->click();  // the remaining mail is selected
    QVERIFY(script.Done());
    QCOMPARE(Column(0), QStringList());
    QCOMPARE(queue_->Count(testing::OneFolder("dev")), 1);
    QVERIFY(std::filesystem::exists(dir_->path() / "dev" / "RXV3.tmp"));
    // Still one mail queued: the buttons stay, and 削除 over the empty list asks nothing.
    QVERIFY(Button("deleteButton")->isEnabled());
    Button("deleteButton")->click();
    QCOMPARE(queue_->Count(testing::OneFolder("dev")), 1);
  }

  // Gone already (a run sent it meanwhile): it is not queued any more, and counted once.
  void aMailGoneMeanwhileLeavesTheListQuietly() {
    std::filesystem::remove(dir_->path() / "dev" / "RXV2.tmp");
    testing::ModalScript script;
    script.ThenMessage();  // the question, and no message after it
    Select({0});
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Column(0), QStringList({"ﾒﾝﾊﾞｰ登録"}));
    QCOMPARE(queue_->Count(testing::OneFolder("dev")), 2);
  }

  void aFileThatCantBeDeletedIsReportedAndStays() {
    // Replaced behind the dialog's back by something that can't be removed.
    std::filesystem::remove(dir_->path() / "dev" / "RXV2.tmp");
    Queue("RXV2.tmp/inside", "x");
    testing::ModalScript script;
    script.ThenMessage();
    script.ThenMessage();
    Select({0});
    QVERIFY(Preview().contains("ﾌｧｲﾙではありません"));
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Column(0), QStringList({"Configﾌｧｲﾙ取り寄せ", "ﾒﾝﾊﾞｰ登録"}));
  }

 private:
  void Queue(const char* name, const std::string& text) {
    testing::WriteFile(dir_->path() / "dev" / name, text);
  }
  void Reopen() {
    dialog_.reset();
    dialog_ = std::make_unique<CCreatedMailDlg>(list_, testing::OneFolder("dev"), *queue_, nullptr);
  }
  QTreeWidget* List() { return dialog_->findChild<QTreeWidget*>("titleList"); }
  QPushButton* Button(const char* name) { return dialog_->findChild<QPushButton*>(name); }
  QString Preview() { return dialog_->findChild<QPlainTextEdit*>("preview")->toPlainText(); }
  void Select(std::initializer_list<int> rows) {
    List()->clearSelection();
    for (int row : rows)
      List()->topLevelItem(row)->setSelected(true);
  }
  QStringList Column(int column) {
    QStringList texts;
    for (int row = 0; row < List()->topLevelItemCount(); ++row)
      texts << List()->topLevelItem(row)->text(column);
    return texts;
  }

  std::unique_ptr<testing::TempDir> dir_;
  MailingList list_;
  std::unique_ptr<MailQueue> queue_;
  int changed_ = 0;
  std::unique_ptr<CCreatedMailDlg> dialog_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::CreatedMailDlgTest)
#include "created_mail_dlg_test.moc"
