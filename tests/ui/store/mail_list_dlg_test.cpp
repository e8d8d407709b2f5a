#include "ui/store/mail_list_dlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include "support/modal_script.h"

namespace tarnwick {

class MailListDlgTest : public QObject {
  Q_OBJECT

 private slots:
  // fml's command limit: offered for FML only, shown as stored, kept after OK, and never given
  // to a Majordomo list (its server has no such limit).
  void theCommandLimitIsAnFmlField() {
    MailingList stored;
    stored.Title = "dev";
    stored.Name = "dev";
    stored.Type = ServerKind::Fml;
    stored.Address = "fml@example.jp";
    stored.Admin = "admin@example.jp";
    stored.MaxCommands = 120;
    CMailListDlg dialog;
    dialog.SetList(stored);
    QSpinBox* limit = dialog.findChild<QSpinBox*>("maxCommands");
    QVERIFY(limit->isEnabled());
    QCOMPARE(limit->value(), 120);
    limit->setValue(50);
    Ok(dialog);
    QCOMPARE(dialog.list().MaxCommands, 50u);

    MailingList edited = stored;
    CopyDetails(dialog.list(), edited);
    QCOMPARE(edited.MaxCommands, 50u);

    dialog.findChild<QRadioButton*>("majordomo")->click();
    QVERIFY(!limit->isEnabled());
    Ok(dialog);
    QCOMPARE(dialog.list().MaxCommands, 0u);
  }

  void aNewListHasNoLimitUntilFmlIsChosen() {
    CMailListDlg dialog;
    QSpinBox* limit = dialog.findChild<QSpinBox*>("maxCommands");
    QVERIFY(!limit->isEnabled());
    QCOMPARE(limit->text(), QStringLiteral("なし"));
    dialog.findChild<QRadioButton*>("fml")->click();
    QVERIFY(limit->isEnabled());
  }

  // The administrator's address is every mail's From: refused at OK with the reason, the
  // dialog left open on that field.
  void anAdministratorAddressNoServerTakesIsRefusedAtOk() {
    CMailListDlg dialog;
    dialog.show();
    dialog.findChild<QLineEdit*>("title")->setText(QStringLiteral("dev"));
    dialog.findChild<QLineEdit*>("name")->setText(QStringLiteral("dev"));
    dialog.findChild<QRadioButton*>("fml")->click();
    dialog.findChild<QLineEdit*>("address")->setText(QStringLiteral("fml@example.jp"));
    QLineEdit* admin = dialog.findChild<QLineEdit*>("admin");
    admin->setText(QStringLiteral("admin@"));
    QString message;
    {
      testing::ModalScript script;
      script.ThenMessage(&message);
      dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }
    QVERIFY2(message.startsWith(QStringLiteral("管理者ｱﾄﾞﾚｽ「admin@」は使えません")),
             qPrintable(message));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.focusWidget(), admin);

    for (const char* name : {"title", "name", "address", "admin", "password", "maxCommands"})
      QVERIFY2(!dialog.findChild<QWidget*>(name)->toolTip().isEmpty(), name);

    admin->setText(QStringLiteral("admin@example.jp"));
    Ok(dialog);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.list().Admin, std::string("admin@example.jp"));
  }

 private:
  static void Ok(CMailListDlg& dialog) {
    testing::ModalScript script;  // a password warning, if any, is answered
    script.ThenMessage();
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  }
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::MailListDlgTest)
#include "mail_list_dlg_test.moc"
