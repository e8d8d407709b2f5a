// The main window as it is used every day: Tab through the command's own fields before 作成 and
// 送信, nothing moving when the status bar first speaks, file dialogs reopening where the last
// one was left, also after a restart.
#include <QFileDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

#include "support/modal_script.h"
#include "ui/compose/plate.h"
#include "ui/main/main_window_harness.h"

namespace tarnwick {

class MainWindowLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    h_ = std::make_unique<testing::MainWindowHarness>();
    std::vector<std::unique_ptr<MailingList>> lists;
    lists.push_back(testing::MainWindowHarness::List("dev", ServerKind::Fml, "dev", "pw"));
    h_->Register(std::move(lists));
    h_->Open();
    h_->Select(0);
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
  }
  void cleanup() { h_.reset(); }

  void tabGoesThroughTheCommandsFieldsBeforeItsButtons() {
    QWidget* tree = h_->Tree();
    const QWidget* plate = h_->window().CurrentPlate();
    int plateFields = 0;
    int beforeCreate = 0;
    for (QWidget* widget = tree->nextInFocusChain(); widget != tree;
         widget = widget->nextInFocusChain()) {
      if (widget == h_->Button("createButton")) beforeCreate = plateFields;
      if (plate->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) != 0) ++plateFields;
    }
    QVERIFY(plateFields > 0);
    QCOMPARE(beforeCreate, plateFields);
  }

  void theButtonsStayWhereTheyAreWhenTheStatusBarFirstSpeaks() {
    QPushButton* create = h_->Button("createButton");
    const QPoint before = create->mapTo(&h_->window(), QPoint());
    h_->window().statusBar()->showMessage(QStringLiteral("作成しました"));
    QCoreApplication::sendPostedEvents();  // the layout's requests
    QCOMPARE(create->mapTo(&h_->window(), QPoint()), before);
  }

  void aFileDialogOpensWhereTheLastWasLeftAlsoAfterARestart() {
    const std::filesystem::path folder =
        std::filesystem::path(h_->MailBox()).parent_path() / "exports";
    testing::WriteFile(folder / "old.reg", "not an export\n");
    testing::ModalScript script;
    script.Then([&](QDialog& chooser) {
      qobject_cast<QFileDialog*>(&chooser)->selectFile(
          QString::fromStdString((folder / "old.reg").string()));
      return static_cast<int>(QDialog::Accepted);
    });
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Ok); });  // what was read
    h_->window().ImportWindowsSettings();
    QCOMPARE(OpensIn(), QString::fromStdString(folder.string()));
    h_->Close();
    h_->Open();  // the window of the next run, on the same store
    QCOMPARE(OpensIn(), QString::fromStdString(folder.string()));
  }

 private:
  // The folder the next file dialog opens in.
  QString OpensIn() {
    testing::ModalScript script;
    QString shown;
    script.Then([&](QDialog& chooser) {
      shown = qobject_cast<QFileDialog*>(&chooser)->directory().absolutePath();
      return static_cast<int>(QDialog::Rejected);
    });
    h_->window().ImportWindowsSettings();
    return shown;
  }

  std::unique_ptr<testing::MainWindowHarness> h_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::MainWindowLayoutTest)
#include "main_window_layout_test.moc"
