#include "analyze/address_analyze_dlg.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "platform/desktop.h"
#include "support/modal_script.h"
#include "support/ui_steps.h"

namespace tarnwick {
class AddressAnalyzeDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void listsTheAddressesSortedAndReturnsTheSelectedInListOrder() {
    CAddressAnalyzeDlg dialog(testing::Sample("sendmail_user_unknown.eml"),
                              ExtractionMode::Returned);
    testing::ModalScript script;
    QStringList shown;
    script.Then([&](QDialog& d) {
      auto* list = d.findChild<QListWidget*>("addressList");
      for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
      // Clicks toggle: select the last two, then the first, then unselect the middle one.
      for (int row : {2, 1, 0, 1}) {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
      }
      d.accept();
      return d.result();
    });
    QCOMPARE(dialog.Run(), int(QDialog::Accepted));
    QVERIFY(script.Done());
    QCOMPARE(shown, QStringList({"hanako@example.ne.jp", "taro.yamada@example.jp",
                                 "taro.yamada@example.jp"}));
    QCOMPARE(dialog.addresses(),
             (std::vector<std::string>{"hanako@example.ne.jp", "taro.yamada@example.jp"}));
    QCOMPARE(dialog.findChild<QLineEdit*>("fileName")->text(),
             testing::Sample("sendmail_user_unknown.eml"));
  }

  void selectAllAndDeselectAll() {
    CAddressAnalyzeDlg dialog(testing::Sample("sendmail_user_unknown.eml"),
                              ExtractionMode::Returned);
    testing::ModalScript script;
    script.Then([](QDialog& d) {
      d.findChild<QPushButton*>("selectAllButton")->click();
      d.findChild<QPushButton*>("deselectAllButton")->click();  // 全て削除 removes no entry
      if (d.findChild<QListWidget*>("addressList")->count() != 3) return 0;
      d.accept();
      return d.result();
    });
    QCOMPARE(dialog.Run(), int(QDialog::Accepted));
    QVERIFY(script.Done());
    QVERIFY(dialog.addresses().empty());  // OK with nothing selected adds nothing
  }

  void openShowsTheMailWithTheDesktop() {
    CAddressAnalyzeDlg dialog(testing::Sample("majordomo_approval.eml"), ExtractionMode::Returned);
    QString opened;
    SetDesktopHookForTesting([&](const QString& path) { opened = path; });
    testing::ModalScript script;
    script.Then([](QDialog& d) {
      d.findChild<QPushButton*>("openButton")->click();
      return static_cast<int>(QDialog::Rejected);
    });
    QCOMPARE(dialog.Run(), int(QDialog::Rejected));
    SetDesktopHookForTesting({});
    QCOMPARE(opened, testing::Sample("majordomo_approval.eml"));
    QVERIFY(dialog.addresses().empty());
  }

  void nothingFoundIsReportedAndCancels() {
    for (const char* sample : {"not_a_bounce.eml", "no_such_file.eml"}) {
      CAddressAnalyzeDlg dialog(testing::Sample(sample), ExtractionMode::Returned);
      testing::ModalScript script;
      QString caption;
      QString text;
      script.ThenMessage(&text, &caption);
      QCOMPARE(dialog.Run(), int(QDialog::Rejected));
      QVERIFY(script.Done());  // the list itself was never shown
      QCOMPARE(caption, QStringLiteral("Tarnwick"));
      QCOMPARE(text, QStringLiteral("ｱﾄﾞﾚｽの抽出に失敗しました"));
    }
  }
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::AddressAnalyzeDlgTest)
#include "address_analyze_dlg_test.moc"
