#include "ui/analyze/address_analyze_dlg.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "support/modal_script.h"
#include "support/ui_steps.h"
#include "ui/platform/desktop.h"

namespace tarnwick {
class AddressAnalyzeDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void listsTheAddressesSortedAndReturnsTheSelectedInListOrder() {
    CAddressAnalyzeDlg dialog(testing::Sample("sendmail_user_unknown.eml"),
                              ExtractionMode::Returned);
    testing::ModalScript script;
    QStringList shown;
    int selectedAtOpen = 0;
    script.Then([&](QDialog& d) {
      auto* list = d.findChild<QListWidget*>("addressList");
      for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
      selectedAtOpen = static_cast<int>(list->selectedItems().size());
      // Every found address comes selected; clicks toggle: unselect the middle one, then the
      // last, then select the last again.
      for (int row : {1, 2, 2}) {
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
    QCOMPARE(selectedAtOpen, 3);
    QCOMPARE(dialog.addresses(),
             (std::vector<std::string>{"hanako@example.ne.jp", "taro.yamada@example.jp"}));
    QCOMPARE(dialog.findChild<QLineEdit*>("fileName")->text(),
             testing::Sample("sendmail_user_unknown.eml"));
  }

  // OK with nothing selected asks before the extracted addresses are thrown away.
  void selectAllAndDeselectAll() {
    CAddressAnalyzeDlg dialog(testing::Sample("sendmail_user_unknown.eml"),
                              ExtractionMode::Returned);
    testing::ModalScript script;
    QString question;
    script.Then([&](QDialog& d) {
      d.findChild<QPushButton*>("deselectAllButton")->click();  // 全て削除 removes no entry
      if (d.findChild<QListWidget*>("addressList")->count() != 3) return 0;
      d.accept();  // asked, and kept open by ｷｬﾝｾﾙ
      if (d.result() == QDialog::Accepted) return 0;
      d.findChild<QPushButton*>("selectAllButton")->click();
      d.accept();
      return d.result();
    });
    script.Then([&](QDialog& box) {
      question = qobject_cast<QMessageBox*>(&box)->text();
      return static_cast<int>(QMessageBox::Cancel);
    });
    QCOMPARE(dialog.Run(), int(QDialog::Accepted));
    QVERIFY(script.Done());
    QVERIFY(question.startsWith(QStringLiteral("ｱﾄﾞﾚｽが選択されていません")));
    QCOMPARE(dialog.addresses().size(), std::size_t{3});
  }

  void openShowsTheMailWithTheDesktop() {
    CAddressAnalyzeDlg dialog(testing::Sample("majordomo_approval.eml"), ExtractionMode::Returned);
    QString opened;
    SetDesktopHookForTesting([&](const QString& path) {
      opened = path;
      return true;
    });
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
