#include "ui/settings/common_settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "core/store/common_settings.h"
#include "core/store/mail_box.h"
#include "support/modal_script.h"
#include "support/temp_dir.h"

namespace tarnwick {

class CommonSettingsDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<testing::TempDir>();
    store_ = std::make_unique<SettingsStore>(dir_->path() / "registry.db");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir_->path() / "data").string()));
  }
  void cleanup() {
    store_.reset();
    dir_.reset();
  }

  void aFirstStartShowsTheDefaultsAndOkWritesTheSevenValues() {
    CCommonSettingsDlg dialog(*store_);
    QCOMPARE(Edit(dialog, "mailBox")->text(),
             QString::fromStdString((dir_->path() / "data/tarnwick/mail").string()));
    QCOMPARE(Mailer(dialog)->currentText(), QStringLiteral("直接SMTPサーバーへ接続"));
    QCOMPARE(Edit(dialog, "smtpPort")->text(), QStringLiteral("25"));
    QVERIFY(!dialog.findChild<QComboBox*>("entry")->isEnabled());
    QVERIFY(!Edit(dialog, "mailerPath")->isEnabled());
    QVERIFY(Edit(dialog, "smtpServer")->isEnabled());
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const SettingsKey common = Common();
    std::string text;
    for (const char* name : {"MailBox", "MailerPath", "RasName", "SMTPServer"}) {
      QVERIFY2(common.ReadText(name, text, ""), name);
    }
    for (const char* name : {"Mailer", "DialUp", "SMTPPort"}) {
      QVERIFY2(common.ReadNumber(name, 0xDEADBEEF) != 0xDEADBEEF, name);
    }
    QCOMPARE(ReadSetting(common, kSmtpPort), 25u);
    QVERIFY(!store_->OpenRoot().OpenKey("Path", false).HasHandle());
  }

  void pickingAlMail32SuggestsItsPathAndRemembersIt() {
    CCommonSettingsDlg first(*store_);
    Pick(first, 1);
    QCOMPARE(Edit(first, "mailerPath")->text(), QString());    // nothing remembered yet
    QVERIFY(Mailer(first)->currentText().contains("/file:"));  // says what it passes
    Edit(first, "mailerPath")->setText(QStringLiteral("/usr/bin/al32"));
    QVERIFY(!Edit(first, "smtpServer")->isEnabled());
    QVERIFY(!first.findChild<QLabel*>("portLabel")->isEnabled());
    QVERIFY(Edit(first, "mailerPath")->isEnabled());
    first.accept();
    QCOMPARE(Remembered("almail.exe"), std::string("/usr/bin/al32"));

    store_->OpenRoot().CreateKey("Path").CreateKey("almail.exe").WriteText("", "/opt/almail/run");
    CCommonSettingsDlg second(*store_);
    Pick(second, 1);
    QCOMPARE(Edit(second, "mailerPath")->text(), QStringLiteral("/opt/almail/run"));
  }

  void eachAlMailKeepsItsOwnPath() {
    for (const auto& [item, path] : {std::pair{1, "/opt/al32"}, std::pair{0, "/opt/al16"}}) {
      CCommonSettingsDlg dialog(*store_);
      Pick(dialog, item);
      Edit(dialog, "mailerPath")->setText(QString::fromUtf8(path));
      dialog.accept();
    }
    CCommonSettingsDlg dialog(*store_);
    Pick(dialog, 1);
    QCOMPARE(Edit(dialog, "mailerPath")->text(), QStringLiteral("/opt/al32"));
    Pick(dialog, 0);
    QCOMPARE(Edit(dialog, "mailerPath")->text(), QStringLiteral("/opt/al16"));
    Pick(dialog, 2);
    QCOMPARE(Edit(dialog, "mailerPath")->text(), QString());
  }

  void aStoredKindThreeIsShownAsNoneAndKept() {
    Common(true).WriteNumber("Mailer", 3);
    Common().WriteText("MailerPath", "/opt/scrivel");
    CCommonSettingsDlg dialog(*store_);
    QCOMPARE(Mailer(dialog)->currentIndex(), -1);
    QVERIFY(!Edit(dialog, "smtpServer")->isEnabled());
    dialog.accept();
    QCOMPARE(ReadSetting(Common(), kMailer), 3u);
    QCOMPARE(ReadSetting(Common(), kMailerPath), std::string("/opt/scrivel"));
    QVERIFY(!store_->OpenRoot().OpenKey("Path", false).OpenKey("scrivel.exe", false).HasHandle());
  }

  void aPortBeyondTheArrowsIsStoredAsTyped() {
    CCommonSettingsDlg dialog(*store_);
    Edit(dialog, "smtpPort")->setText(QStringLiteral(" 40000 "));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(ReadSetting(Common(), kSmtpPort), 40000u);
  }

  // The dialog and tarnwick-cli refuse the same ports, for the same reason.
  void aPortNoServerCanHaveIsRefusedWithItsRange() {
    for (const char* typed : {"0", "70000"}) {
      CCommonSettingsDlg dialog(*store_);
      Edit(dialog, "smtpPort")->setText(QString::fromUtf8(typed));
      QCOMPARE(RefusedMessage(dialog),
               QStringLiteral("ポート番号 (SMTPPort) には1から65535までの整数を入力してください"));
    }
  }

  void aStoreThatCantBeWrittenIsToldAndTheDialogStays() {
    testing::WriteFile(store_->file(), "not a store");
    CCommonSettingsDlg dialog(*store_);
    QCOMPARE(RefusedMessage(dialog), QStringLiteral("共通設定を保存できませんでした"));
  }

  void theArrowsStepThePortWithinTheirRange() {
    CCommonSettingsDlg dialog(*store_);
    QLineEdit* port = Edit(dialog, "smtpPort");
    QTest::keyClick(port, Qt::Key_Up);
    QCOMPARE(port->text(), QStringLiteral("26"));
    port->setText(QStringLiteral("32767"));
    QTest::keyClick(port, Qt::Key_Up);
    QCOMPARE(port->text(), QStringLiteral("32767"));
    port->setText(QStringLiteral("0"));
    QTest::keyClick(port, Qt::Key_Down);
    QCOMPARE(port->text(), QStringLiteral("0"));
  }

  void aPortThatIsNoNumberIsRefusedAndNothingIsStored() {
    for (const char* typed : {"abc", "-1", "+25", "", "2 5", "99999999999"}) {
      CCommonSettingsDlg dialog(*store_);
      Edit(dialog, "mailBox")->setText(QStringLiteral("/changed"));
      Edit(dialog, "smtpPort")->setText(QString::fromUtf8(typed));
      QCOMPARE(RefusedMessage(dialog), QStringLiteral("正の整数を入力してください。"));
      QCOMPARE(ReadSetting(Common(), kMailBox), DefaultMailBox());
    }
  }

  void theFolderChooserPutsTheChosenFolderInTheField() {
    const QString chosen = QString::fromStdString((dir_->path()).string());
    CCommonSettingsDlg dialog(*store_);
    testing::ModalScript script;
    QString caption;
    script.Then([&](QDialog& d) {
      auto* chooser = qobject_cast<QFileDialog*>(&d);
      caption = chooser->windowTitle();
      chooser->setDirectory(chosen);
      chooser->selectFile(chosen);
      return static_cast<int>(QDialog::Accepted);
    });
    dialog.findChild<QPushButton*>("mailBoxBrowse")->click();
    QVERIFY(script.Done());
    QCOMPARE(caption, QStringLiteral("ﾌｫﾙﾀﾞの選択"));
    QCOMPARE(Edit(dialog, "mailBox")->text(), chosen);
    dialog.accept();
    QCOMPARE(dialog.mailBox(), chosen.toStdString());
  }

  void encryptionAndLoginAreSetHereAndStored() {
    CCommonSettingsDlg dialog(*store_);
    auto* security = dialog.findChild<QComboBox*>("security");
    auto* login = dialog.findChild<QCheckBox*>("authenticate");
    QCOMPARE(security->currentText(), QStringLiteral("なし"));
    QVERIFY(!login->isChecked());
    QVERIFY(!Edit(dialog, "smtpUser")->isEnabled());
    QCOMPARE(Edit(dialog, "smtpPassword")->echoMode(), QLineEdit::Password);

    Choose(security, 1);
    QCOMPARE(Edit(dialog, "smtpPort")->text(), QStringLiteral("587"));
    Choose(security, 2);
    QCOMPARE(Edit(dialog, "smtpPort")->text(), QStringLiteral("465"));
    login->click();
    QVERIFY(Edit(dialog, "smtpUser")->isEnabled());
    Edit(dialog, "smtpUser")->setText(QStringLiteral("admin"));
    Edit(dialog, "smtpPassword")->setText(QStringLiteral("秘密"));
    dialog.accept();
    QCOMPARE(ReadSetting(Common(), kSmtpSecurity), 2u);
    QCOMPARE(ReadSetting(Common(), kSmtpAuth), 1u);
    QCOMPARE(ReadSetting(Common(), kSmtpPort), 465u);
    QCOMPARE(ReadSetting(Common(), kSmtpUser), std::string("admin"));
    QCOMPARE(ReadSetting(Common(), kSmtpPassword), std::string("\x94\xE9\x96\xA7"));
  }

  void theDialogueAndTheDaysSentMailsAreKeptAreStored() {
    CCommonSettingsDlg dialog(*store_);
    // The tests run without a secret service: the dialog says where passwords go instead.
    QVERIFY(dialog.findChild<QLabel*>("keyringNote") != nullptr);
    auto* extended = dialog.findChild<QCheckBox*>("extended");
    QVERIFY(!extended->isChecked());
    QCOMPARE(Edit(dialog, "sentDays")->text(), QStringLiteral("90"));
    extended->click();
    Edit(dialog, "sentDays")->setText(QStringLiteral("3651"));
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    dialog.accept();
    QVERIFY(script.Done());
    QVERIFY(message.contains(QStringLiteral("送信済みﾒｰﾙの保存日数 (SentDays) には0から3650")));
    QVERIFY(!Common().HasHandle() || ReadSetting(Common(), kSmtpExtended) == 0u);
    Edit(dialog, "sentDays")->setText(QStringLiteral("0"));
    QCOMPARE(Edit(dialog, "incomingPort")->text(), QStringLiteral("993"));
    QCOMPARE(Edit(dialog, "incomingFolder")->text(), QStringLiteral("INBOX"));
    QCOMPARE(Edit(dialog, "incomingPassword")->echoMode(), QLineEdit::Password);
    Edit(dialog, "incomingServer")->setText(QStringLiteral("imap.例え.jp"));
    Edit(dialog, "incomingPassword")->setText(QStringLiteral("pw"));
    Choose(dialog.findChild<QComboBox*>("incomingSecurity"), 1);
    dialog.accept();
    QCOMPARE(ReadSetting(Common(), kSmtpExtended), 1u);
    QCOMPARE(ReadSetting(Common(), kSentDays), 0u);
    QCOMPARE(ReadSetting(Common(), kIncomingServer), std::string("imap.\x97\xE1\x82\xA6.jp"));
    QCOMPARE(ReadSetting(Common(), kIncomingSecurity), 1u);
    QCOMPARE(ReadSetting(Common(), kIncomingPassword), std::string("pw"));
  }

  void aPortTheUserTypedIsNotReplaced() {
    CCommonSettingsDlg dialog(*store_);
    QLineEdit* port = Edit(dialog, "smtpPort");
    port->selectAll();
    QTest::keyClicks(port, "2525");
    Choose(dialog.findChild<QComboBox*>("security"), 1);
    QCOMPARE(port->text(), QStringLiteral("2525"));
  }

  void anOutsideMailerNeedsNoEncryptionOrLogin() {
    Common(true).WriteNumber("SMTPAuth", 1);
    CCommonSettingsDlg dialog(*store_);
    QVERIFY(Edit(dialog, "smtpUser")->isEnabled());
    Pick(dialog, 0);
    QVERIFY(!dialog.findChild<QComboBox*>("security")->isEnabled());
    QVERIFY(!dialog.findChild<QCheckBox*>("authenticate")->isEnabled());
    QVERIFY(!Edit(dialog, "smtpUser")->isEnabled());
  }

 private:
  // Presses OK on a dialog that must refuse it; the message it shows.
  static QString RefusedMessage(QDialog& dialog) {
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    dialog.accept();
    if (!script.Done() || dialog.result() == QDialog::Accepted) return QStringLiteral("(accepted)");
    return message;
  }

  static void Choose(QComboBox* box, int item) {
    box->setCurrentIndex(item);
    emit box->activated(item);
  }

  SettingsKey Common(bool create = false) { return store_->OpenRoot().OpenKey(kCommonKey, create); }
  std::string Remembered(const char* program) {
    std::string path;
    store_->OpenRoot().OpenKey("Path", false).OpenKey(program, false).ReadText("", path, "");
    return path;
  }
  static QLineEdit* Edit(QDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(name);
  }
  static QComboBox* Mailer(QDialog& dialog) { return dialog.findChild<QComboBox*>("mailer"); }
  // Picks an item of the mailer list as a user does.
  static void Pick(QDialog& dialog, int item) {
    Mailer(dialog)->setCurrentIndex(item);
    emit Mailer(dialog)->activated(item);
  }

  std::unique_ptr<testing::TempDir> dir_;
  std::unique_ptr<SettingsStore> store_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::CommonSettingsDlgTest)
#include "common_settings_dlg_test.moc"
