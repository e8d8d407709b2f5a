#include "ui/config/config_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "core/store/mailing_list.h"
#include "support/modal_script.h"
#include "support/temp_dir.h"
#include "ui/platform/desktop.h"

namespace tarnwick {

class ConfigSheetTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { dir_ = std::make_unique<testing::TempDir>(); }
  void cleanup() { dir_.reset(); }

  void onlyTheKeysOfTheFileCanBeEditedAndOnlyTheirLinesChange() {
    const std::string original =
        "moderate = yes\ndigest_maxdays =\nsubscribe_policy = Open\nother = kept\n";
    testing::WriteFile(File(), original);
    Edit([](QDialog& sheet) {
      QVERIFY(Radio(sheet, "moderate_yes")->isChecked());
      QVERIFY(!Radio(sheet, "administrivia_yes")->isChecked());
      QVERIFY(!Radio(sheet, "administrivia_no")->isChecked());
      QVERIFY(!Radio(sheet, "administrivia_yes")->isEnabled());
      QVERIFY(!sheet.findChild<QLineEdit*>("admin_passwd")->isEnabled());
      Tabs(sheet)->setCurrentIndex(1);
      auto* useDefault = sheet.findChild<QCheckBox*>("digest_maxdays_default");
      QVERIFY(useDefault->isChecked());
      QCOMPARE(sheet.findChild<QLineEdit*>("digest_maxdays")->text(), QStringLiteral("0"));
      useDefault->setChecked(false);
      sheet.findChild<QLineEdit*>("digest_maxdays")->setText(QStringLiteral("7"));
      Tabs(sheet)->setCurrentIndex(3);
      QCOMPARE(sheet.findChild<QComboBox*>("subscribe_policy")->currentText(),
               QStringLiteral("open"));
    });
    QCOMPARE(testing::ReadFile(File()),
             std::string("moderate = yes\ndigest_maxdays      =   7\n"
                         "subscribe_policy    =   open\nother = kept\n"));
  }

  // At the sheet's own size every page shows whole, its rows packed from the top. With
  // TARNWICK_SHOTS set to a folder, each page is also saved there as an image to look at.
  void everyPageFitsWithItsRowsFromTheTop() {
    testing::WriteFile(File(), "moderate = yes\n");
    Edit([](QDialog& sheet) {
      sheet.show();
      for (int page = 0; page < Tabs(sheet)->count(); ++page) {
        Tabs(sheet)->setCurrentIndex(page);
        // The page is laid out before its scroll bar is looked at.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        auto* scroll = qobject_cast<QScrollArea*>(Tabs(sheet)->currentWidget());
        if (const QByteArray shots = qgetenv("TARNWICK_SHOTS"); !shots.isEmpty())
          sheet.grab().save(
              QStringLiteral("%1/config-%2.png").arg(QString::fromLocal8Bit(shots)).arg(page + 1));
        QVERIFY2(!scroll->verticalScrollBar()->isVisible(), qPrintable(QString::number(page + 1)));
        QList<QLabel*> labels = scroll->widget()->findChildren<QLabel*>();
        std::sort(labels.begin(), labels.end(),
                  [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
        for (qsizetype i = 1; i < labels.size(); ++i) {
          const QWidget* control = scroll->widget()->findChild<QWidget*>(labels[i - 1]->text());
          const int room = std::max(labels[i - 1]->height(), control ? control->height() : 0);
          QVERIFY2(
              labels[i]->y() - labels[i - 1]->y() <= room + 16,
              qPrintable(
                  QStringLiteral("page %1 after %2").arg(page + 1).arg(labels[i - 1]->text())));
        }
      }
    });
  }

  void cancelLeavesTheFileAsItWas() {
    const std::string original = "moderate = yes\nmaxlength = 40000\n";
    testing::WriteFile(File(), original);
    testing::ModalScript script;
    script.Then([](QDialog& sheet) {
      Radio(sheet, "moderate_no")->click();
      return static_cast<int>(QDialog::Rejected);
    });
    EditConfigFile(ServerKind::Majordomo, Path(), nullptr);
    QVERIFY(script.Done());
    QCOMPARE(testing::ReadFile(File()), original);
  }

  void theArrowsStayInRange() {
    testing::WriteFile(File(), "maxlength = 9999\ndigest_issue = 1\n");
    Edit([](QDialog& sheet) {
      Tabs(sheet)->setCurrentIndex(1);
      QLineEdit* maxlength = sheet.findChild<QLineEdit*>("maxlength");
      QTest::keyClick(maxlength, Qt::Key_Up);
      QCOMPARE(maxlength->text(), QStringLiteral("9999"));
      QLineEdit* issue = sheet.findChild<QLineEdit*>("digest_issue");
      issue->setText(QStringLiteral(" 12 "));
    });
    QCOMPARE(testing::ReadFile(File()),
             std::string("maxlength = 9999\ndigest_issue        =   12\n"));
  }

  // Majordomo refuses a whole configuration for one value it rejects: such a value keeps the
  // page open, named, with its field focused.
  void valuesMajordomoRejectsAreNamedAndKeepThePage() {
    const std::string original = "maxlength = 40000\nadmin_passwd = pw\nwho_access = list\n";
    testing::WriteFile(File(), original);
    testing::ModalScript script;
    QString first;
    QString second;
    script.Then([&](QDialog& sheet) {
      sheet.findChild<QLineEdit*>("admin_passwd")->setText(QStringLiteral("adm#1n"));
      sheet.accept();
      if (sheet.result() == QDialog::Accepted) return 0;
      sheet.findChild<QLineEdit*>("admin_passwd")->setText(QStringLiteral("admin1"));
      Tabs(sheet)->setCurrentIndex(1);
      sheet.findChild<QLineEdit*>("maxlength")->setText(QStringLiteral("0"));
      Tabs(sheet)->setCurrentIndex(2);
      if (Tabs(sheet)->currentIndex() != 1) return 0;
      return static_cast<int>(QDialog::Rejected);
    });
    script.ThenMessage(&first);
    script.ThenMessage(&second);
    EditConfigFile(ServerKind::Majordomo, Path(), nullptr);
    QVERIFY(script.Done());
    QVERIFY(first.startsWith(QStringLiteral("「admin_passwd」の値に「#」は使えません")));
    QCOMPARE(second, QStringLiteral("「maxlength」には1以上の整数を入力してください"));
    QCOMPARE(testing::ReadFile(File()), original);
  }

  // A ticked Default disables its number, which then needs no number at all.
  void aTickedDefaultDisablesItsNumber() {
    testing::WriteFile(File(), "digest_maxdays =\ndigest_maxlines = 12\n");
    Edit([](QDialog& sheet) {
      Tabs(sheet)->setCurrentIndex(1);
      QVERIFY(!sheet.findChild<QLineEdit*>("digest_maxdays")->isEnabled());
      QVERIFY(sheet.findChild<QLineEdit*>("digest_maxlines")->isEnabled());
      sheet.findChild<QLineEdit*>("digest_maxlines")->setText(QStringLiteral("many"));
      sheet.findChild<QCheckBox*>("digest_maxlines_default")->setChecked(true);
      QVERIFY(!sheet.findChild<QLineEdit*>("digest_maxlines")->isEnabled());
    });
    QCOMPARE(testing::ReadFile(File()), std::string("digest_maxdays =\ndigest_maxlines     =\n"));
  }

  void aPageWithoutANumberWhereOneIsNeededIsNotLeft() {
    testing::WriteFile(File(), "maxlength = 1\n");
    testing::ModalScript script;
    QString message;
    script.Then([&](QDialog& sheet) {
      Tabs(sheet)->setCurrentIndex(1);
      sheet.findChild<QLineEdit*>("maxlength")->setText(QStringLiteral("many"));
      Tabs(sheet)->setCurrentIndex(2);  // refused: the page stays
      if (Tabs(sheet)->currentIndex() != 1) return 0;
      sheet.accept();  // refused too
      return sheet.result();
    });
    script.ThenMessage(&message);
    script.ThenMessage();
    EditConfigFile(ServerKind::Majordomo, Path(), nullptr);
    QVERIFY(script.Done());
    QCOMPARE(message, QStringLiteral("整数を入力してください。"));
    QCOMPARE(testing::ReadFile(File()), std::string("maxlength = 1\n"));
  }

  void aVariableReplacesTheSelection() {
    testing::WriteFile(File(), "reply_to = somebody@example.jp\n");
    Edit([](QDialog& sheet) {
      Tabs(sheet)->setCurrentIndex(3);
      QLineEdit* replyTo = sheet.findChild<QLineEdit*>("reply_to");
      replyTo->selectAll();
      QGuiApplication::clipboard()->setText(QStringLiteral("what the user copied"));
      QMenu* menu = sheet.findChild<QToolButton*>("reply_to_variables")->menu();
      QCOMPARE(menu->actions().size(), 1);
      QCOMPARE(menu->actions().first()->text(), QStringLiteral("From: アドレス"));
      menu->actions().first()->trigger();
      QCOMPARE(replyTo->text(), QStringLiteral("$SENDER"));
      QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("what the user copied"));
      QCOMPARE(
          sheet.findChild<QToolButton*>("subject_prefix_variables")->menu()->actions()[1]->text(),
          QStringLiteral("通し番号"));
    });
    QCOMPARE(testing::ReadFile(File()), std::string("reply_to            =   $SENDER\n"));
  }

  void labelsCarryTheirTooltipAndTabsTheirCaptions() {
    testing::WriteFile(File(), "");
    Edit([](QDialog& sheet) {
      QCOMPARE(sheet.windowTitle(), QStringLiteral("config設定"));
      QCOMPARE(Tabs(sheet)->tabText(4), QStringLiteral("config 設定(5/5)"));
      bool found = false;
      for (QLabel* label : sheet.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("who_access")) {
          found = label->toolTip().startsWith(QStringLiteral("who コマンドで"));
        }
      }
      QVERIFY(found);
    });
  }

  void aChoiceBeginningNoEntryIsShownButMustBeChanged() {
    testing::WriteFile(File(), "subscribe_policy = manual\n");
    testing::ModalScript script;
    QString message;
    script.Then([&](QDialog& sheet) {
      Tabs(sheet)->setCurrentIndex(3);
      auto* policy = sheet.findChild<QComboBox*>("subscribe_policy");
      if (policy->currentText() != QStringLiteral("manual")) return 0;
      sheet.accept();
      policy->setCurrentIndex(0);
      sheet.accept();
      return sheet.result();
    });
    script.ThenMessage(&message);
    EditConfigFile(ServerKind::Majordomo, Path(), nullptr);
    QVERIFY(script.Done());
    QVERIFY(message.startsWith(QStringLiteral("「subscribe_policy」の値「manual」はMajordomoが")));
    QCOMPARE(testing::ReadFile(File()), std::string("subscribe_policy    =   open\n"));
  }

  void anUnreadableFileShowsEverythingDisabledAndWritesNothing() {
    Edit(
        [](QDialog& sheet) { QVERIFY(!sheet.findChild<QLineEdit*>("admin_passwd")->isEnabled()); });
    QVERIFY(!std::filesystem::exists(File()));
  }

  void anFmlFileGoesToTheDesktop() {
    QString opened;
    SetDesktopHookForTesting([&](const QString& path) {
      opened = path;
      return true;
    });
    testing::ModalScript script;  // no sheet may come up
    EditConfigFile(ServerKind::Fml, Path(), nullptr);
    SetDesktopHookForTesting({});
    QVERIFY(script.Done());
    QCOMPARE(opened, Path());
  }

 private:
  std::filesystem::path File() const { return dir_->path() / "dev.cf"; }
  QString Path() const { return QString::fromStdString(File().string()); }
  static QTabWidget* Tabs(QDialog& sheet) { return sheet.findChild<QTabWidget*>("pages"); }
  static QRadioButton* Radio(QDialog& sheet, const char* name) {
    return sheet.findChild<QRadioButton*>(name);
  }

  // Runs the sheet on the file through the config plate's entry, does `steps` in it, presses OK.
  template <typename Steps>
  void Edit(Steps steps) {
    testing::ModalScript script;
    script.Then([&](QDialog& sheet) {
      steps(sheet);
      sheet.accept();
      return sheet.result();
    });
    EditConfigFile(ServerKind::Majordomo, Path(), nullptr);
    QVERIFY(script.Done());
  }

  std::unique_ptr<testing::TempDir> dir_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::ConfigSheetTest)
#include "config_sheet_test.moc"
