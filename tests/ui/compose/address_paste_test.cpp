// Many addresses at once into an address-list plate: a paste, a drop, a file read in the
// background; each added once, and one short message of what was taken, skipped and refused.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

#include "support/modal_script.h"
#include "support/temp_dir.h"
#include "support/ui_steps.h"
#include "ui/compose/address_list_plate.h"
#include "ui/platform/background_task.h"

namespace tarnwick {
namespace {

struct Told {
  QString text, details;
};

// A step that keeps the message box's text and its 詳細.
testing::ModalScript::Step Keep(Told& told) {
  return [&told](QDialog& dialog) {
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    if (box == nullptr) return static_cast<int>(QDialog::Rejected);
    told = {box->text(), box->detailedText()};
    return static_cast<int>(QMessageBox::Ok);
  };
}

QString Numbered(int count, int from = 0) {
  QString text;
  for (int i = from; i < from + count; ++i)
    text += QStringLiteral("member%1@example.jp\n").arg(i);
  return text;
}

}  // namespace

class AddressPasteTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    list_ = MailingList();
    list_.Type = ServerKind::Majordomo;
    list_.Name = "dev";
    list_.Password = "pw";
    list_.Admin = "admin@example.jp";
    list_.Address = "majordomo@example.jp";
    plate_ = std::make_unique<CAddressListPlate>(ID_SUBSCRIBE_PLATE);
    plate_->list = &list_;
    plate_->Create(nullptr);
    plate_->show();
  }
  void cleanup() { plate_.reset(); }

  // Ctrl+V into the list: 5,000 addresses, one refused by its line number, those met twice and
  // those the list holds (in another case) skipped; all the rest in the one mail.
  void aPasteOfFiveThousandGoesIntoOneMail() {
    testing::ModalScript script;
    script.Then(testing::TypeAddress(QStringLiteral("MEMBER7@example.jp")));
    plate_->findChild<QPushButton*>("addButton")->click();
    QApplication::clipboard()->setText(Numbered(3) + QStringLiteral("broken@\n") + Numbered(5000) +
                                       QStringLiteral("member1@example.jp\n"));
    Told told;
    script.Then(Keep(told));
    List()->setFocus();
    QTest::keySequence(List(), QKeySequence::Paste);
    QVERIFY(script.Done());
    QCOMPARE(plate_->addresses().size(), 5000u);
    QCOMPARE(List()->count(), 5000);
    QVERIFY2(told.text.contains(QStringLiteral("4999件のｱﾄﾞﾚｽを追加しました")),
             qPrintable(told.text));
    QVERIFY2(told.text.contains(QStringLiteral("重複 5件")), qPrintable(told.text));
    QVERIFY2(told.text.contains(QStringLiteral("使えないｱﾄﾞﾚｽ 1件")), qPrintable(told.text));
    QVERIFY2(told.details.startsWith(QStringLiteral("4行目: ")), qPrintable(told.details));
    QVERIFY(!told.details.contains(u'\n'));

    std::string mail;
    QCOMPARE(plate_->BuildMail(mail).status, ComposeStatus::Composed);
    for (const char* address :
         {"MEMBER7@example.jp\r\n", "member0@example.jp\r\n", "member4999@example.jp\r\n"})
      QVERIFY2(mail.find(address) != std::string::npos, address);
    QVERIFY(std::count(mail.begin(), mail.end(), '\n') > 5000);
  }

  // The 追加 dialog takes a paste far beyond a line edit's 32,767 characters; one refused line
  // among them is named by its number, the paste never quoted whole.
  void theAddDialogTakesAPasteOfAnySize() {
    const QString many = Numbered(3000);
    QVERIFY(many.size() > 60000);
    testing::ModalScript script;
    Told told;
    script.Then(testing::TypeAddress(many + QStringLiteral("<broken")));
    script.Then(Keep(told));
    plate_->findChild<QPushButton*>("addButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(plate_->addresses().size(), 3000u);
    QVERIFY(told.text.size() < 200);
    QVERIFY2(told.details.startsWith(QStringLiteral("3001行目: ")), qPrintable(told.details));

    script.Then([&](QDialog& dialog) {
      testing::TypeAddress(QStringLiteral("x\ny y"))(dialog);  // refused, the dialog stays
      return dialog.result();
    });
    script.Then(Keep(told));
    plate_->findChild<QPushButton*>("addButton")->click();
    QVERIFY(script.Done());
    QVERIFY2(told.text.startsWith(QStringLiteral("1行目: ")), qPrintable(told.text));
    QCOMPARE(plate_->addresses().size(), 3000u);
  }

  // 読込: a CSV file in Shift_JIS read in the background; a file that is no text is refused
  // by its reason and adds nothing.
  void aFileIsReadInTheBackground() {
    testing::TempDir dir;
    testing::WriteFile(dir / "staff.csv",
                       "\x96\xBC\x91\x4F,email\r\n\x8D\xB2\x93\xA1,sato@example.jp\r\n"
                       "\x97\xE9\x96\xD8,suzuki@example.jp\r\n");  // 名前 / 佐藤 / 鈴木
    testing::WriteFile(dir / "binary.csv", std::string("\0\x01\x02\xFF", 4));
    testing::ModalScript script;
    Told told;
    for (const char* name : {"staff.csv", "binary.csv"}) {
      script.Then([&dir, name](QDialog& dialog) {
        qobject_cast<QFileDialog*>(&dialog)->selectFile(QString::fromStdString(dir / name));
        return static_cast<int>(QDialog::Accepted);
      });
      script.Then(Keep(told));
      plate_->findChild<QPushButton*>("loadButton")->click();
      QTRY_VERIFY(!plate_->reading());
      WaitForBackgroundWork();
    }
    QVERIFY(script.Done());
    QCOMPARE(plate_->addresses().entries(),
             (std::vector<std::string>{"sato@example.jp", "suzuki@example.jp"}));
    QVERIFY(!told.text.isEmpty());
  }

  // Text dropped on the list is a paste; multi-selection goes with 削除, and 全て削除 empties it.
  void droppedTextAndDeletingMany() {
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("Taro <taro@example.jp>, hanako@example.jp; jiro@example.jp"));
    testing::ModalScript script;
    script.ThenMessage();
    // As a drag arrives: entered first, which makes the list the drop's target.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(List()->viewport(), &drop);
    QVERIFY(script.Done());
    QCOMPARE(plate_->addresses().entries(),
             (std::vector<std::string>{"hanako@example.jp", "jiro@example.jp", "taro@example.jp"}));
    List()->item(0)->setSelected(true);
    List()->item(2)->setSelected(true);
    plate_->findChild<QPushButton*>("deleteButton")->click();
    QCOMPARE(plate_->addresses().entries(), std::vector<std::string>{"jiro@example.jp"});
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Ok); });  // 全て削除?
    plate_->findChild<QPushButton*>("clearButton")->click();
    QVERIFY(script.Done());
    QVERIFY(plate_->addresses().empty());
    QCOMPARE(List()->count(), 0);
    QVERIFY(!plate_->findChild<QPushButton*>("clearButton")->isEnabled());
    delete mime;
  }

 private:
  QListWidget* List() { return plate_->findChild<QListWidget*>("addressList"); }

  MailingList list_;
  std::unique_ptr<CAddressListPlate> plate_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::AddressPasteTest)
#include "address_paste_test.moc"
