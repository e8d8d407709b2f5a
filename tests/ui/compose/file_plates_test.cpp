#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "support/modal_script.h"
#include "support/temp_dir.h"
#include "ui/compose/plate_factory.h"
#include "ui/platform/desktop.h"

namespace tarnwick {

class FilePlatesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    list_ = MailingList();
    list_.Type = ServerKind::Fml;
    list_.Name = "dev";
    list_.Admin = "admin@example.jp";
    list_.Address = "fml@example.jp";
  }

  void everyCommandHasAPlate() {
    for (const CommandInfo& command : Commands())
      QVERIFY(MakePlate(command.id) != nullptr);
  }

  void theConfigFileIsUsedOnlyWhenSending() {
    auto plate = Open(ID_CONFIG_PLATE);
    QLineEdit* file = plate->findChild<QLineEdit*>("file");
    QPushButton* browse = plate->findChild<QPushButton*>("browseButton");
    QPushButton* open = plate->findChild<QPushButton*>("openButton");
    QVERIFY(!file->isEnabled() && !browse->isEnabled() && open->isEnabled());
    plate->findChild<QRadioButton*>("choice1")->click();
    QVERIFY(file->isEnabled() && browse->isEnabled() && open->isEnabled());
    plate->findChild<QRadioButton*>("choice0")->click();
    QVERIFY(!file->isEnabled() && !browse->isEnabled() && !open->isEnabled());
  }

  void theLogCountIsForTheLatestLinesOnly() {
    auto plate = Open(ID_LOG_PLATE);
    QLineEdit* count = plate->findChild<QLineEdit*>("count");
    QCOMPARE(count->text(), QStringLiteral("10"));
    QVERIFY(count->isEnabled());
    plate->findChild<QRadioButton*>("choice1")->click();
    QVERIFY(!count->isEnabled());
    plate->findChild<QRadioButton*>("choice0")->click();
    count->setText(QStringLiteral("ten"));
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    std::string mail;
    QCOMPARE(plate->BuildMail(mail).status, ComposeStatus::NothingToQueue);
    QVERIFY(script.Done());
    QCOMPARE(message, QStringLiteral("正の整数を入力してください。"));
    count->setText(QStringLiteral("200"));
    QCOMPARE(plate->BuildMail(mail).status, ComposeStatus::Composed);
    QVERIFY(mail.ends_with("# admin log -200\r\n"));
  }

  void aNewPasswordIsMaskedUntilShown() {
    auto plate = Open(ID_NEWPASSWORD_PLATE);
    QLineEdit* password = plate->findChild<QLineEdit*>("newPassword");
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    plate->findChild<QPushButton*>("showButton")->click();
    QCOMPARE(password->echoMode(), QLineEdit::Normal);
    plate->findChild<QPushButton*>("showButton")->click();
    QCOMPARE(password->echoMode(), QLineEdit::Password);
  }

  void aListTextPlateRemembersItsFileForTheList() {
    list_.InfoFile = "/lists/dev/info.txt";
    auto plate = Open(ID_NEWINFO_PLATE);
    QLineEdit* file = plate->findChild<QLineEdit*>("file");
    QCOMPARE(file->text(), QStringLiteral("/lists/dev/info.txt"));
    file->setText(QStringLiteral("/lists/dev/info-2026.txt"));
    QString opened;
    SetDesktopHookForTesting([&](const QString& path) {
      opened = path;
      return true;
    });
    plate->findChild<QPushButton*>("openButton")->click();
    SetDesktopHookForTesting({});
    QCOMPARE(opened, QStringLiteral("/lists/dev/info-2026.txt"));
    plate->StoreRememberedPaths();
    QCOMPARE(list_.InfoFile, std::string("/lists/dev/info-2026.txt"));
  }

  // A path Shift_JIS can't hold is not dropped without a word.
  void aRememberedPathThatCantBeKeptIsSaid() {
    list_.InfoFile = "/lists/dev/info.txt";
    auto plate = Open(ID_NEWINFO_PLATE);
    plate->findChild<QLineEdit*>("file")->setText(QStringLiteral("/lists/😀.txt"));
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    plate->StoreRememberedPaths();
    QVERIFY(script.Done());
    QVERIFY2(message.contains(QStringLiteral("😀")), qPrintable(message));
    QCOMPARE(list_.InfoFile, std::string("/lists/dev/info.txt"));
  }

  void thePutPlatesBrowseFillsTheLocalFileAndItsContentGoesOut() {
    testing::TempDir dir;
    testing::WriteFile(dir / "help.txt", "line 1\r\nline 2\r\n");
    auto plate = Open(ID_FILEPUT_PLATE);
    plate->findChild<QLineEdit*>("file")->setText(QStringLiteral("help"));
    testing::ModalScript script;
    script.Then([&](QDialog& chooser) {
      qobject_cast<QFileDialog*>(&chooser)->selectFile(
          QString::fromStdString((dir / "help.txt").string()));
      return static_cast<int>(QDialog::Accepted);
    });
    plate->findChild<QPushButton*>("browseButton")->click();
    QVERIFY(script.Done());
    std::string mail;
    QCOMPARE(plate->BuildMail(mail).status, ComposeStatus::Composed);
    QVERIFY(mail.ends_with("\r\n\r\n# admin put help\r\nline 1\r\nline 2\r\n"));
  }

  void anArticleRangeGoesAsTyped() {
    auto plate = Open(ID_UNLINK_PLATE);
    plate->findChild<QLineEdit*>("article")->setText(QStringLiteral("3-5"));
    std::string mail;
    QCOMPARE(plate->BuildMail(mail).status, ComposeStatus::Composed);
    QVERIFY(mail.ends_with("# admin unlink-article 3-5\r\n"));
  }

  void theConfigPlatesEditOpensTheSheetForAMajordomoList() {
    list_.Type = ServerKind::Majordomo;
    auto plate = Open(ID_CONFIG_PLATE);
    plate->findChild<QRadioButton*>("choice1")->click();
    testing::ModalScript script;
    QString caption;
    script.Then([&](QDialog& sheet) {
      caption = sheet.windowTitle();
      return static_cast<int>(QDialog::Rejected);
    });
    plate->findChild<QPushButton*>("openButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(caption, QStringLiteral("config設定"));
  }

 private:
  std::unique_ptr<CPlate> Open(CommandId command) {
    std::unique_ptr<CPlate> plate = MakePlate(command);
    plate->list = &list_;
    plate->Create(nullptr);
    plate->show();
    return plate;
  }

  MailingList list_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::FilePlatesTest)
#include "file_plates_test.moc"
