#include "ui/compose/address_list_plate.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "support/modal_script.h"
#include "support/ui_steps.h"
#include "ui/analyze/address_analyze_dlg.h"

namespace tarnwick {
namespace {

int Cancel(QDialog&) {
  return QDialog::Rejected;
}

}  // namespace

class AddressListPlateTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    list_ = MailingList();
    list_.Type = ServerKind::Fml;
    list_.Name = "dev";
    list_.Password = "pw";
    list_.Admin = "admin@example.jp";
    list_.Address = "fml@example.jp";
    plate_ = std::make_unique<CAddressListPlate>(ID_SUBSCRIBE_PLATE);
    plate_->list = &list_;
    plate_->Create(nullptr);
    plate_->show();
  }
  void cleanup() { plate_.reset(); }

  void typedAddressesAreListedSortedAndGoIntoTheMailInThatOrder() {
    testing::ModalScript script;
    for (const char* address : {"c@ex.jp", "a@ex.jp", "B@ex.jp"})
      script.Then(testing::TypeAddress(address));
    for (int i = 0; i < 3; ++i)
      Button("addButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Shown(), QStringList({"a@ex.jp", "B@ex.jp", "c@ex.jp"}));
    std::string mail;
    QCOMPARE(plate_->BuildMail(mail).status, ComposeStatus::Composed);
    QVERIFY(mail.ends_with(
        "X-Command: Subscribe Member\r\n\r\n# admin pass pw\r\n# admin add a@ex.jp\r\n"
        "# admin add B@ex.jp\r\n# admin add c@ex.jp\r\n"));
  }

  void anEmptyListComposesNothing() {
    std::string mail;
    QCOMPARE(plate_->BuildMail(mail).status, ComposeStatus::NothingToQueue);
    QVERIFY(mail.empty());
  }

  void deleteIsEnabledOnlyWhileThereIsSomethingToDelete() {
    QVERIFY(!Button("deleteButton")->isEnabled());
    testing::ModalScript script;
    script.Then(Cancel);
    Button("addButton")->click();
    QVERIFY(!Button("deleteButton")->isEnabled());  // cancelled: nothing added
    script.Then(testing::TypeAddress("a@example.jp"));
    script.Then(testing::TypeAddress("b@example.jp"));
    Button("addButton")->click();
    Button("addButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Shown(), QStringList({"a@example.jp", "b@example.jp"}));
    QVERIFY(Button("deleteButton")->isEnabled());

    List()->setCurrentRow(1);
    Button("deleteButton")->click();
    QCOMPARE(Shown(), QStringList({"a@example.jp"}));
    QVERIFY(Button("deleteButton")->isEnabled());
    List()->setCurrentRow(0);
    Button("deleteButton")->click();
    QCOMPARE(Shown(), QStringList());
    QVERIFY(!Button("deleteButton")->isEnabled());
  }

  // 全て削除 asks first, naming how many go, with ｷｬﾝｾﾙ the default: cancelled, the list stays.
  void clearingAllAsksFirst() {
    testing::ModalScript script;
    for (const char* address : {"a@ex.jp", "b@ex.jp"})
      script.Then(testing::TypeAddress(address));
    Button("addButton")->click();
    Button("addButton")->click();
    QString question;
    bool cancelIsDefault = false;
    const auto answer = [&](QMessageBox::StandardButton pressed) {
      return [&, pressed](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box == nullptr) return 0;
        question = box->text();
        cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
        return static_cast<int>(pressed);
      };
    };
    script.Then(answer(QMessageBox::Cancel));
    Button("clearButton")->click();
    QCOMPARE(question, QStringLiteral("入力したｱﾄﾞﾚｽ 2 件を全て削除しますか?"));
    QVERIFY(cancelIsDefault);
    QCOMPARE(Shown(), QStringList({"a@ex.jp", "b@ex.jp"}));
    QCOMPARE(plate_->addresses().size(), std::size_t{2});
    QVERIFY(Button("clearButton")->isEnabled());

    script.Then(answer(QMessageBox::Ok));
    Button("clearButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Shown(), QStringList());
    QVERIFY(plate_->addresses().empty());
    QVERIFY(!Button("clearButton")->isEnabled());
  }

  // An empty or malformed address is refused as it is typed, by its own reason; the dialog
  // keeps it for mending.
  void aTypedAddressIsCheckedBeforeItIsAdded() {
    testing::ModalScript script;
    QStringList messages;
    script.Then([&](QDialog& dialog) {
      auto* edit = dialog.findChild<QPlainTextEdit*>("address");
      for (const char* typed : {"a@b@example.jp", "  "}) {
        edit->setPlainText(QString::fromUtf8(typed));
        dialog.accept();  // refused: the message comes, the dialog stays
        if (dialog.result() == QDialog::Accepted) return 0;
      }
      edit->setPlainText(QStringLiteral("ab@example.jp"));
      dialog.accept();
      return dialog.result();
    });
    for (int i = 0; i < 2; ++i)
      script.Then([&](QDialog& box) {
        messages << qobject_cast<QMessageBox*>(&box)->text();
        return static_cast<int>(QMessageBox::Ok);
      });
    Button("addButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(messages.size(), 2);
    QVERIFY2(messages[0].startsWith(QStringLiteral("ｱﾄﾞﾚｽ「a@b@example.jp」")),
             qPrintable(messages[0]));
    QVERIFY(!messages[1].isEmpty());
    QCOMPARE(Shown(), QStringList({"ab@example.jp"}));
  }

  void extractionAddsTheAddressesTheUserKeeps() {
    testing::ModalScript script;
    script.Then([](QDialog& dialog) {
      auto* files = qobject_cast<QFileDialog*>(&dialog);
      if (files == nullptr) return 0;
      files->selectFile(testing::Sample("sendmail_user_unknown.eml"));
      return static_cast<int>(QDialog::Accepted);
    });
    script.Then(testing::KeepAllAddresses);
    Button("extractButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(Shown(), QStringList({"hanako@example.ne.jp", "taro.yamada@example.jp",
                                   "taro.yamada@example.jp"}));
    QVERIFY(!Button("deleteButton")->isEnabled());  // extraction leaves 削除 as it was
  }

  void aDroppedMailIsAnalysedInThePlatesMode() {
    // addadmin takes the sender of the mail, not the addresses it reports.
    CAddressListPlate addAdmin(ID_ADDADMIN_PLATE);
    addAdmin.list = &list_;
    addAdmin.Create(nullptr);
    testing::ModalScript script;
    script.Then(testing::KeepAllAddresses);
    addAdmin.AnalyzeFile(testing::Sample("sendmail_user_unknown.eml"));
    QVERIFY(script.Done());
    QCOMPARE(addAdmin.addresses().entries(),
             std::vector<std::string>{"MAILER-DAEMON@mx1.example.jp"});
  }

  void aMailWithoutAddressesSaysSoAndAddsNothing() {
    testing::ModalScript script;
    QString message;
    script.ThenMessage(&message);
    plate_->AnalyzeFile(testing::Sample("not_a_bounce.eml"));
    QVERIFY(script.Done());
    QCOMPARE(message, QStringLiteral("ｱﾄﾞﾚｽの抽出に失敗しました"));
    QVERIFY(plate_->addresses().empty());
  }

 private:
  QPushButton* Button(const char* name) { return plate_->findChild<QPushButton*>(name); }
  QListWidget* List() { return plate_->findChild<QListWidget*>("addressList"); }
  QStringList Shown() {
    QStringList shown;
    for (int row = 0; row < List()->count(); ++row)
      shown << List()->item(row)->text();
    return shown;
  }

  MailingList list_;
  std::unique_ptr<CAddressListPlate> plate_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::AddressListPlateTest)
#include "address_list_plate_test.moc"
