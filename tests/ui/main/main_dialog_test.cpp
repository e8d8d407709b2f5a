#include "ui/main/main_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextBrowser>
#include <QtTest>
#include <memory>

#include "support/modal_script.h"
#include "support/sent_mails_fixture.h"
#include "ui/main/command_tree.h"
#include "ui/main/guide_dlg.h"
#include "ui/main/main_window_harness.h"
#include "ui/members/member_search_dlg.h"

namespace tarnwick {
namespace {

struct Details {
  QString title, name, address, admin, password;
  const char* kind;  // "majordomo", "fml" or nullptr to leave the choice as it is
};

// Fills the detail dialog as a user types into it, then presses OK.
int FillDetails(QDialog& dialog, const Details& details) {
  const std::pair<const char*, const QString*> fields[] = {{"title", &details.title},
                                                           {"name", &details.name},
                                                           {"address", &details.address},
                                                           {"admin", &details.admin},
                                                           {"password", &details.password}};
  for (const auto& [name, text] : fields) {
    if (!text->isNull()) dialog.findChild<QLineEdit*>(name)->setText(*text);
  }
  if (details.kind != nullptr) dialog.findChild<QRadioButton*>(details.kind)->click();
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  return dialog.result();
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { h_ = std::make_unique<testing::MainWindowHarness>(); }
  void cleanup() { h_.reset(); }

  // ﾌｧｲﾙ → Windowsの設定を取り込む: the lists show at once, and the report says what wants a
  // new value; a list of a title already there is replaced only when the user agrees.
  void aWindowsExportIsTakenInFromTheFileMenu() {
    Register(List("\x82\xA8\x92\x6D\x82\xE7\x82\xB9", ServerKind::Majordomo, "mine"));  // お知らせ
    Open();
    const QString file = QStringLiteral(TARNWICK_TEST_DATA "/migrate/tarnwick4.reg");
    testing::ModalScript script;
    QString report;
    script.Then([&](QDialog& chooser) {
      qobject_cast<QFileDialog*>(&chooser)->selectFile(file);
      return static_cast<int>(QDialog::Accepted);
    });
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Cancel); });  // keep mine
    script.ThenMessage(&report);
    h_->window().ImportWindowsSettings();
    QVERIFY(script.Done());
    QCOMPARE(View()->model()->rowCount(), 2);
    QVERIFY2(report.startsWith(QStringLiteral("MLを1件取り込みました")), qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("・お知らせ")));
    QVERIFY(report.contains(QStringLiteral("MailBox (C:\\Documents and Settings\\taro\\Mail)")));
  }

  // ﾒｰﾙ → ﾒﾝﾊﾞｰ検索: a removal queued there shows in the counts at once, and a double click
  // on a row selects its list.
  void theMemberSearchQueuesAndChoosesTheList() {
    Register(List("ann", ServerKind::Majordomo, "ann"),
             testing::MainWindowHarness::List("dev", ServerKind::Fml, "dev", "pw"));
    testing::WriteSentMail(h_->MailBox(), "dev", "dev@server.example.jp", "RXV1.tmp", "0000000a",
                           "members", 1, "a@x.jp\nb@x.jp\n");
    Open();
    QCOMPARE(h_->Count(), QStringLiteral("0/0"));
    testing::ModalScript script;
    QString countWhileOpen;
    script.Then([&](QDialog& dialog) {
      auto& search = static_cast<CMemberSearchDlg&>(dialog);
      search.findChild<QLineEdit*>("patterns")->setText(QStringLiteral("a@x.jp"));
      search.Search();
      if (!QTest::qWaitFor([&] { return !search.searching(); })) return 0;
      auto* hits = search.findChild<QTableWidget*>("hits");
      hits->selectRow(0);
      search.RemoveSelected();
      countWhileOpen = h_->Count();
      emit hits->cellDoubleClicked(0, 0);
      return search.result();
    });
    script.ThenMessage();  // the question before the removal
    MenuAction(QStringLiteral("ﾒﾝﾊﾞｰ検索(&F)..."))->trigger();
    QVERIFY(script.Done());
    QCOMPARE(countWhileOpen, QStringLiteral("0/1"));  // ann selected, one mail in all
    QCOMPARE(h_->window().SelectedList()->Title, std::string("dev"));
    QCOMPARE(h_->Count(), QStringLiteral("1/1"));
  }

  // F1, as ﾍﾙﾌﾟ → 使い方, opens the installed guide beside the window; pressed again, the one
  // window comes forward.
  void f1OpensTheGuideToTheDailyTasks() {
    Open();
    QVERIFY(QTest::qWaitForWindowActive(&h_->window()));
    QTest::keyClick(&h_->window(), Qt::Key_F1);
    auto* guide = h_->window().findChild<QDialog*>(QStringLiteral("guideWindow"));
    QVERIFY(guide != nullptr);
    QTRY_VERIFY(guide->isVisible());
    const QString text = guide->findChild<QTextBrowser*>(QStringLiteral("guide"))->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙを作って送る")), qPrintable(text));
    QVERIFY(!GuidePath().isEmpty());
    QTest::keyClick(&h_->window(), Qt::Key_F1);
    QCOMPARE(h_->window().findChildren<QDialog*>(QStringLiteral("guideWindow")).size(), 1);
  }

  void emptyStoreSelectsNothing() {
    Open();
    QCOMPARE(View()->model()->rowCount(), 0);
    QVERIFY(!Button("editButton")->isEnabled());
    QVERIFY(!Button("deleteButton")->isEnabled());
    QVERIFY(Button("addButton")->isEnabled());
    QCOMPARE(Field("nameField"), QString());
  }

  void storedListsShowInTitleOrderWithTheFirstSelected() {
    Register(List("zeta", ServerKind::Majordomo, "z"),
             List("\x8A\x4A\x94\xAD", ServerKind::Fml, "dev"),  // 開発
             List("alpha", ServerKind::Fml, "a"));
    Open();
    QCOMPARE(View()->model()->rowCount(), 3);
    QCOMPARE(View()->model()->index(2, 0).data().toString(), QStringLiteral("開発"));
    QCOMPARE(View()->currentIndex().row(), 0);
    QCOMPARE(Field("nameField"), QStringLiteral("a"));
    QCOMPARE(Field("kindField"), QStringLiteral("FML"));
    QCOMPARE(Field("addressField"), QStringLiteral("a@server.example.jp"));
    QVERIFY(Button("editButton")->isEnabled());
  }

  void addEditRenameDeleteReachTheStoreWhenTheWindowCloses() {
    Open();
    testing::ModalScript script;
    script.Then([](QDialog& d) {
      return FillDetails(d,
                         {"announce", "ann", "majordomo@ex.org", "me@ex.org", "pw", "majordomo"});
    });
    script.Then([](QDialog& d) {
      return FillDetails(d, {"開発ML", "dev", "fml@ex.jp", "admin@ex.jp", "himitsu", "fml"});
    });
    script.Then([](QDialog& d) {
      // Opened on the selected list: its fields are shown, and only the admin changes.
      if (d.findChild<QLineEdit*>("name")->text() != QStringLiteral("ann")) return 0;
      return FillDetails(d, {QString(), QString(), QString(), "owner@ex.org", QString(), nullptr});
    });
    script.ThenMessage();  // "削除して良いですか"
    Button("addButton")->click();
    Button("addButton")->click();
    QCOMPARE(View()->model()->rowCount(), 2);

    Select(0);
    Button("editButton")->click();
    QCOMPARE(Field("adminField"), QStringLiteral("owner@ex.org"));

    Select(0);
    RenameInPlace(QStringLiteral("お知らせ"));
    QCOMPARE(View()->model()->index(0, 0).data().toString(), QStringLiteral("お知らせ"));

    Select(1);  // 開発ML
    Button("deleteButton")->click();
    QCOMPARE(View()->model()->rowCount(), 1);
    QCOMPARE(View()->currentIndex().row(), 0);  // the neighbour takes the selection
    QCOMPARE(Field("nameField"), QStringLiteral("ann"));
    QVERIFY(script.Done());

    h_->Close();
    const MailingListRegister stored = Stored();
    QCOMPARE(stored.size(), std::size_t{1});
    QCOMPARE(stored.at(0).Title, std::string("\x82\xA8\x92\x6D\x82\xE7\x82\xB9"));  // お知らせ
    QCOMPARE(stored.at(0).Type, ServerKind::Majordomo);
    QCOMPARE(stored.at(0).Name, std::string("ann"));
    QCOMPARE(stored.at(0).Address, std::string("majordomo@ex.org"));
    QCOMPARE(stored.at(0).Admin, std::string("owner@ex.org"));
    QCOMPARE(stored.at(0).Password, std::string("pw"));
  }

  // tarnwick-cli sees each change the moment it is made, and a crash loses none.
  void eachChangeIsStoredWhenItIsMade() {
    Open();
    testing::ModalScript script;
    script.Then([](QDialog& d) { return FillDetails(d, {"new", "n", "a", "m@ex.jp", "", "fml"}); });
    script.ThenMessage();  // "削除して良いですか"
    Button("addButton")->click();
    QCOMPARE(Stored().size(), std::size_t{1});
    QCOMPARE(Field("nameField"), QStringLiteral("n"));  // the new list is selected
    Select(0);
    RenameInPlace(QStringLiteral("renamed"));
    QTRY_COMPARE(Stored().at(0).Title, std::string("renamed"));
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QVERIFY(Stored().empty());
  }

  // A list added by tarnwick-cli meanwhile shows when the window is activated again.
  void listsChangedElsewhereShowOnActivation() {
    Register(List("kept", ServerKind::Fml, "k"));
    Open();
    MailingListRegister stored = Stored();
    stored.Insert(List("from the cli", ServerKind::Majordomo, "cli"));
    QVERIFY(SaveRegister(h_->store(), stored));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&h_->window(), &activate);
    QCOMPARE(View()->model()->rowCount(), 2);
    QCOMPARE(View()->model()->index(0, 0).data().toString(), QStringLiteral("from the cli"));
    QCOMPARE(Field("nameField"), QStringLiteral("k"));  // the selected list stays selected
  }

  // Deleting names the list and, asked a question, defaults to ｷｬﾝｾﾙ: a stray Enter keeps it.
  void deletingAListNamesItAndDefaultsToCancel() {
    Register(List("keep me", ServerKind::Fml, "k"));
    Open();
    Select(0);
    testing::ModalScript script;
    QString question;
    bool cancelIsDefault = false;
    bool questionIcon = false;
    script.Then([&](QDialog& dialog) {
      auto* box = qobject_cast<QMessageBox*>(&dialog);
      if (box == nullptr) return 0;
      question = box->text();
      cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
      questionIcon = box->icon() == QMessageBox::Question;
      return static_cast<int>(QMessageBox::Cancel);
    });
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(question, QStringLiteral("「keep me」を削除して良いですか"));
    QVERIFY(cancelIsDefault);
    QVERIFY(questionIcon);
    QCOMPARE(View()->model()->rowCount(), 1);
  }

  // A list needs a title, a name, a kind and a server address; the form says which is missing
  // and stays open.
  void aListNeedsItsDetails() {
    Open();
    testing::ModalScript script;
    QStringList reasons;
    script.Then([&](QDialog& d) {
      for (const Details& details :
           {Details{"", "", "", "", "", nullptr}, Details{"t", "n", "a", "m", "", nullptr},
            Details{"t", "n", "", "m", "", "fml"}}) {
        FillDetails(d, details);
      }
      return static_cast<int>(QDialog::Rejected);
    });
    for (int i = 0; i < 3; ++i) {
      script.Then([&](QDialog& box) {
        reasons << qobject_cast<QMessageBox*>(&box)->text();
        return static_cast<int>(QMessageBox::Ok);
      });
    }
    Button("addButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(reasons, QStringList({"ﾀｲﾄﾙを入力してください", "ＭＬｻｰﾊﾞｰの種別を選んでください",
                                   "ｻｰﾊﾞｰｱﾄﾞﾚｽを入力してください"}));
    QCOMPARE(View()->model()->rowCount(), 0);
  }

  void textShiftJisCantHoldKeepsTheDialogOpen() {
    Open();
    testing::ModalScript script;
    QString refusal;
    script.Then([&](QDialog& d) { return FillDetails(d, {"list 😀", "n", "a", "m", "", "fml"}); });
    script.ThenMessage(&refusal);
    Button("addButton")->click();
    QVERIFY(script.Done());
    QVERIFY(refusal.contains(QStringLiteral("😀")));
    QCOMPARE(View()->model()->rowCount(), 0);  // the dialog stayed open: nothing was added
  }

  void renamingToTextShiftJisCantHoldKeepsTheTitle() {
    Register(List("keep", ServerKind::Fml, "k"));
    Open();
    testing::ModalScript script;
    script.ThenMessage();
    RenameInPlace(QStringLiteral("한국"));
    QTRY_VERIFY(script.Done());
    QCOMPARE(View()->model()->index(0, 0).data().toString(), QStringLiteral("keep"));
  }

  void cancelledDeleteKeepsTheList() {
    Register(List("keep", ServerKind::Fml, "k"));
    Open();
    testing::ModalScript script;
    script.Then([](QDialog&) { return static_cast<int>(QMessageBox::Cancel); });
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(View()->model()->rowCount(), 1);
    QVERIFY(Button("deleteButton")->isEnabled());
  }

  // 1920x1080 at scale 2 leaves about 960x500 for the window: every plate of either kind fits.
  void theWindowFitsAScaledUpScreenWhateverThePlate() {
    Register(List("a", ServerKind::Majordomo, "a"), List("b", ServerKind::Fml, "b"));
    Open();
    for (int list = 0; list < 2; ++list) {
      h_->Select(list);
      QTreeWidget* tree = h_->Tree();
      for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j) {
          QTreeWidgetItem* entry = tree->topLevelItem(i)->child(j);
          tree->setCurrentItem(entry);
          // The plate is made once the tree is done.
          QTRY_VERIFY(h_->window().CurrentPlate() != nullptr &&
                      h_->window().CurrentPlate()->command() == CommandOf(*entry));
          const QSize least = h_->window().layout()->totalMinimumSize();
          QVERIFY2(least.width() <= 940 && least.height() <= 490,
                   qPrintable(QStringLiteral("%1: %2x%3")
                                  .arg(entry->text(0))
                                  .arg(least.width())
                                  .arg(least.height())));
        }
      }
    }
  }

  void theFilterShowsTheListsWhoseTitleHoldsItAndLongTitlesFit() {
    const std::string longTitle = "very long " + std::string(300, 'x');
    Register(List("Alpha news", ServerKind::Fml, "a"), List("beta", ServerKind::Majordomo, "b"),
             List(longTitle.c_str(), ServerKind::Fml, "c"));
    Open();
    auto* filter = h_->window().findChild<QLineEdit*>("registerFilter");
    filter->setText(QStringLiteral("ALPHA "));
    QCOMPARE(Shown(), QStringList({"Alpha news"}));
    RenameInPlace(QStringLiteral("gamma"));  // the filter does not match it: hidden as it changes
    QCOMPARE(Shown(), QStringList());
    filter->clear();
    QCOMPARE(Shown().size(), 3);
    const QModelIndex longRow = View()->model()->index(2, 0);
    QVERIFY(View()->visualRect(longRow).width() <= View()->viewport()->width());
    QCOMPARE(longRow.data(Qt::ToolTipRole).toString(), QString::fromStdString(longTitle));
  }

  void theCommandTreeKeepsWhatWasOpenAcrossKinds() {
    Register(List("a", ServerKind::Fml, "a"), List("b", ServerKind::Majordomo, "b"));
    Open();
    QTreeWidget* tree = h_->Tree();
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
      tree->topLevelItem(i)->setExpanded(tree->topLevelItem(i)->text(0) == "ﾒﾝﾊﾞｰﾘｽﾄ操作");
    Select(1);
    QCOMPARE(Expanded(), QStringList({"ﾒﾝﾊﾞｰﾘｽﾄ操作"}));
    tree->topLevelItem(0)->setExpanded(true);
    const QString opened = tree->topLevelItem(0)->text(0);
    Select(0);
    QVERIFY2(Expanded().contains(opened) && Expanded().contains("ﾒﾝﾊﾞｰﾘｽﾄ操作"),
             qPrintable(Expanded().join(",")));
  }

  void deletingTheLastListClearsTheSelection() {
    Register(List("only", ServerKind::Fml, "o"));
    Open();
    testing::ModalScript script;
    script.ThenMessage();
    Button("deleteButton")->click();
    QVERIFY(script.Done());
    QCOMPARE(h_->window().SelectedList(), nullptr);
    QCOMPARE(Field("nameField"), QString());
    QVERIFY(!Button("deleteButton")->isEnabled());
    QVERIFY(!Button("editButton")->isEnabled());
  }

 private:
  QAction* MenuAction(const QString& text) {
    for (QAction* action : h_->window().findChildren<QAction*>()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }
  static std::unique_ptr<MailingList> List(const char* title, ServerKind type, const char* name) {
    return testing::MainWindowHarness::List(title, type, name);
  }
  void Register(std::unique_ptr<MailingList> a, std::unique_ptr<MailingList> b = nullptr,
                std::unique_ptr<MailingList> c = nullptr) {
    std::vector<std::unique_ptr<MailingList>> lists;
    for (auto* list : {&a, &b, &c}) {
      if (*list) lists.push_back(std::move(*list));
    }
    h_->Register(std::move(lists));
  }
  void Open() { h_->Open(); }
  QStringList Shown() {
    QStringList titles;
    for (int row = 0; row < View()->model()->rowCount(); ++row)
      if (!View()->isRowHidden(row)) titles << View()->model()->index(row, 0).data().toString();
    return titles;
  }
  QStringList Expanded() {
    QStringList categories;
    for (int i = 0; i < h_->Tree()->topLevelItemCount(); ++i)
      if (h_->Tree()->topLevelItem(i)->isExpanded())
        categories << h_->Tree()->topLevelItem(i)->text(0);
    return categories;
  }
  MailingListRegister Stored() { return LoadRegister(h_->store()); }
  QListView* View() { return h_->View(); }
  QPushButton* Button(const char* name) { return h_->Button(name); }
  QString Field(const char* name) { return h_->Field(name); }
  void Select(int row) { h_->Select(row); }

  // F2 on the selected list, type the new title over the old one, Enter.
  void RenameInPlace(const QString& title) {
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_F2);
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = View()->viewport()->findChild<QLineEdit*>()) != nullptr);
    editor->selectAll();
    editor->insert(title);  // typed over the selected old title
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(View()->viewport()->findChild<QLineEdit*>() == nullptr ||
                !View()->viewport()->findChild<QLineEdit*>()->isVisible());
  }

  std::unique_ptr<testing::MainWindowHarness> h_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::MainDialogTest)
#include "main_dialog_test.moc"
