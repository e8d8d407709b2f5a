#include "ui/settings/first_start_dlg.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "core/store/common_settings.h"
#include "core/store/mail_box.h"
#include "support/modal_script.h"
#include "support/temp_dir.h"

namespace tarnwick {

class FirstStartDlgTest : public QObject {
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

  // The guide asks for what daily work needs, starting from the default folder, and saves it.
  void theFourValuesAreSavedAndTheMailBoxTold() {
    CFirstStartDlg guide(*store_);
    QCOMPARE(Edit(guide, "mailBox")->text(), QString::fromStdString(DefaultMailBox()));
    QCOMPARE(guide.findChildren<QGroupBox*>().size(), 4);
    Edit(guide, "smtpServer")->setText(QStringLiteral("smtp.example.jp"));
    Edit(guide, "adminAddress")->setText(QStringLiteral("me@example.jp"));
    Edit(guide, "incomingServer")->setText(QStringLiteral("imap.example.jp"));
    Edit(guide, "incomingUser")->setText(QStringLiteral("me"));
    guide.findChild<QPushButton*>("saveButton")->click();
    QCOMPARE(guide.result(), int(QDialog::Accepted));
    QCOMPARE(guide.mailBox(), DefaultMailBox());
    const CommonSettings saved = CommonSettings::Load(*store_);
    QCOMPARE(saved.Text(kSmtpServer), std::string("smtp.example.jp"));
    QCOMPARE(saved.Text(kAdminAddress), std::string("me@example.jp"));
    QCOMPARE(saved.Text(kIncomingServer), std::string("imap.example.jp"));
    QCOMPARE(saved.Text(kIncomingUser), std::string("me"));
    QVERIFY(!IsFirstStart(*store_, 0));  // the mail box is set now
  }

  // What the settings would refuse, the guide refuses in the same words, and stores nothing.
  void refusedValuesAreNamedAndNothingIsStored() {
    const struct {
      const char* field;
      const char* typed;
      QString says;
    } cases[] = {
        {"adminAddress", "nobody", QString::fromStdString(*CheckAdminAddress("nobody"))},
        {"smtpPort", "0", QString::fromStdString(*CheckNumberSetting(kSmtpPort, 0))},
        {"incomingPort", "70000",
         QString::fromStdString(*CheckNumberSetting(kIncomingPort, 70000))},
        {"smtpServer", "smtp\U0001F600", QStringLiteral("\U0001F600")},
    };
    for (const auto& c : cases) {
      CFirstStartDlg guide(*store_);
      Edit(guide, c.field)->setText(QString::fromUtf8(c.typed));
      testing::ModalScript script;
      QString message;
      script.ThenMessage(&message);
      guide.findChild<QPushButton*>("saveButton")->click();
      QVERIFY(script.Done());
      QVERIFY2(message.contains(c.says), qPrintable(c.field + (": " + message)));
      QVERIFY(guide.result() != QDialog::Accepted);
      QVERIFY(IsFirstStart(*store_, 0));
    }
  }

  void skippingStoresNothing() {
    CFirstStartDlg guide(*store_);
    Edit(guide, "smtpServer")->setText(QStringLiteral("smtp.example.jp"));
    guide.findChild<QPushButton*>("skipButton")->click();
    QCOMPARE(guide.result(), int(QDialog::Rejected));
    QVERIFY(IsFirstStart(*store_, 0));
    QCOMPARE(CommonSettings::Load(*store_).Text(kSmtpServer), std::string());
  }

 private:
  static QLineEdit* Edit(QDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(name);
  }

  std::unique_ptr<testing::TempDir> dir_;
  std::unique_ptr<SettingsStore> store_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::FirstStartDlgTest)
#include "first_start_dlg_test.moc"
