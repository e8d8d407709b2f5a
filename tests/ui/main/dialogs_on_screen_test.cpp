// Every dialog of the program, as it opens over the main window, lies within the free area of the
// screen with its own buttons on it, and each of its controls that takes input has a tool tip.
// ctest runs this on a 1024x700 screen and on a 1920x1080 one at scale 2; with TARNWICK_SHOTS set
// to a folder, each dialog is saved there as an image.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <QtTest>

#include "support/modal_script.h"
#include "support/ui_steps.h"
#include "ui/analyze/address_analyze_dlg.h"
#include "ui/compose/address_dlg.h"
#include "ui/config/config_sheet.h"
#include "ui/main/main_window_harness.h"
#include "ui/platform/modal.h"
#include "ui/results/roster_sync_dlg.h"
#include "ui/results/sent_mails_dlg.h"

namespace tarnwick {

class DialogsOnScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    qInfo() << "screen" << screen->geometry() << "scale" << screen->devicePixelRatio();
    // Qt's offscreen screen unless the test's configuration names another.
    QVERIFY2(screen->geometry().size() != QSize(800, 600), "no screen configured");
  }
  void init() {
    h_ = std::make_unique<testing::MainWindowHarness>();
    std::vector<std::unique_ptr<MailingList>> lists;
    // 開発 ML and お知らせ, as the register keeps them in CP932.
    lists.push_back(
        testing::MainWindowHarness::List("\x8A\x4A\x94\xAD ML", ServerKind::Fml, "dev", "pw"));
    lists.push_back(testing::MainWindowHarness::List("\x82\xA8\x92\x6D\x82\xE7\x82\xB9",
                                                     ServerKind::Majordomo, "news"));
    h_->Register(std::move(lists));
    h_->Open();
    h_->Select(0);
  }
  void cleanup() { h_.reset(); }

  void theMainWindowFits() {
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "登録");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    Expect(h_->window(), "main");
  }

  void everyDialogOfTheMenusFits() {
    h_->Choose("ﾒﾝﾊﾞｰﾘｽﾄ操作", "ﾒﾝﾊﾞｰ一覧");
    QTRY_VERIFY(h_->window().CurrentPlate() != nullptr);
    h_->Button("createButton")->click();  // a queued mail, for 作成済ﾒｰﾙ編集
    const std::pair<const char*, const char*> menus[] = {
        {"Windowsの設定を取り込む(&I)...", "file_dialog"},
        {"共通設定(&C)", "common_settings"},
        {"設定ｶﾞｲﾄﾞ(&G)...", "guide"},
        {"追加(&A)", "list_details"},
        {"作成済ﾒｰﾙ編集(&E)", "queued_mails"},
        {"送信済みﾒｰﾙと受信(&R)...", "sent_mails"},
        {"ﾒﾝﾊﾞｰ検索(&F)...", "member_search"},
        {"保留ﾒｰﾙ(&H)...", "held_mails"},
        {"返送ﾒｰﾙ集計(&B)...", "bounce_review"},
        {"ﾊﾞｰｼﾞｮﾝ情報(Tarnwick) (&A)...", "about"},
    };
    for (const auto& [text, name] : menus) {
      testing::ModalScript script;
      script.Then(Check(name));
      Action(text)->trigger();
      QTRY_VERIFY2(script.Done(), name);
    }
  }

  void everyDialogOpenedFromAnotherFits() {
    QWidget* window = &h_->window();
    const auto run = [&](const char* name, const std::function<void()>& open) {
      testing::ModalScript script;
      script.Then(Check(name));
      open();
      QVERIFY2(script.Done(), name);
    };
    run("address", [&] {
      CAddressDlg dialog(ServerKind::Fml, window);
      ExecModal(dialog);
    });
    run("config_sheet", [&] { EditConfigFile(ServerKind::Majordomo, "/nonexistent/cf", window); });
    run("extraction", [&] {
      CAddressAnalyzeDlg(testing::Sample("sendmail_user_unknown.eml"), ExtractionMode::Returned,
                         window)
          .Run();
    });
    run("roster", [&] {
      CRosterDlg dialog(Roster{{"taro@example.jp", "hanako@example.jp"}, 0}, {}, "開発 ML", window);
      ExecModal(dialog);
    });
    const MailingListRegister lists = LoadRegister(h_->store());
    run("roster_sync", [&] {
      CRosterSyncDlg dialog(h_->store(), lists, lists.at(0), std::nullopt, window);
      ExecModal(dialog);
    });
    // A refusal quoting a paste of thousands of addresses.
    QStringList addresses;
    for (int i = 0; i < 5000; ++i)
      addresses << QStringLiteral("member%1@example.jp").arg(i);
    run("long_message", [&] { ShowMessage(window, kProgramCaption, addresses.join('\n')); });
    run("long_line", [&] { ShowMessage(window, kProgramCaption, addresses.join(',')); });
  }

 private:
  testing::ModalScript::Step Check(const char* name) {
    return [this, name](QDialog& dialog) {
      Expect(dialog, name);
      return static_cast<int>(QDialog::Rejected);
    };
  }

  // The window, shown, within the screen's free area, and each button of its own (not one in a
  // list or a scrolled part) within the window and the screen.
  void Expect(QWidget& window, const char* name) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY2(screen.contains(window.frameGeometry()),
             qPrintable(Where(name, window.frameGeometry(), screen)));
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
      if (!button->isVisibleTo(&window) || Scrolled(*button, window)) continue;
      const QRect at(button->mapToGlobal(QPoint(0, 0)), button->size());
      QVERIFY2(screen.contains(at) && window.geometry().contains(at),
               qPrintable(Where(name, at, screen) + " " + button->text()));
    }
    ExpectTips(window, name);
    if (const QByteArray shots = qgetenv("TARNWICK_SHOTS"); !shots.isEmpty()) {
      const QString size = QStringLiteral("%1x%2@%3")
                               .arg(screen.width())
                               .arg(screen.height())
                               .arg(window.devicePixelRatio());
      window.grab().save(QStringLiteral("%1/%2-%3.png").arg(shots, size, name));
    }
  }

  // Qt's own file dialog is not the program's to explain.
  static void ExpectTips(const QWidget& window, const char* name) {
    if (qobject_cast<const QFileDialog*>(&window) != nullptr) return;
    for (const QWidget* input : window.findChildren<QWidget*>()) {
      if (!TakesInput(*input, window)) continue;
      QVERIFY2(!Tip(*input).isEmpty(),
               qPrintable(QStringLiteral("%1: %2 \"%3\" has no tool tip")
                              .arg(QString::fromUtf8(name), input->metaObject()->className(),
                                   input->objectName())));
    }
  }

  // A control the user types into, ticks, chooses or selects in; a spin box's, a combo box's or
  // a table's own parts are the control's.
  static bool TakesInput(const QWidget& widget, const QWidget& window) {
    for (const QWidget* up = widget.parentWidget(); up != nullptr && up != &window;
         up = up->parentWidget()) {
      if (qobject_cast<const QAbstractSpinBox*>(up) || qobject_cast<const QComboBox*>(up))
        return false;
    }
    if (const auto* line = qobject_cast<const QLineEdit*>(&widget)) return !line->isReadOnly();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(&widget)) return !text->isReadOnly();
    if (const auto* text = qobject_cast<const QTextEdit*>(&widget)) return !text->isReadOnly();
    if (qobject_cast<const QHeaderView*>(&widget) != nullptr) return false;  // its view's part
    if (const auto* view = qobject_cast<const QAbstractItemView*>(&widget))
      return view->selectionMode() != QAbstractItemView::NoSelection;
    return qobject_cast<const QAbstractSpinBox*>(&widget) ||
           qobject_cast<const QComboBox*>(&widget) || qobject_cast<const QCheckBox*>(&widget) ||
           qobject_cast<const QRadioButton*>(&widget);
  }

  // A number field may carry its tip on itself or on the edit inside it.
  static QString Tip(const QWidget& input) {
    if (!input.toolTip().isEmpty() || qobject_cast<const QAbstractSpinBox*>(&input) == nullptr)
      return input.toolTip();
    const QLineEdit* edit = input.findChild<QLineEdit*>();
    return edit != nullptr ? edit->toolTip() : QString();
  }

  static bool Scrolled(const QWidget& widget, const QWidget& window) {
    for (const QWidget* up = widget.parentWidget(); up != nullptr && up != &window;
         up = up->parentWidget()) {
      if (qobject_cast<const QAbstractScrollArea*>(up) != nullptr) return true;
    }
    return false;
  }

  static QString Where(const char* name, const QRect& at, const QRect& screen) {
    return QStringLiteral("%1 at %2,%3 %4x%5 on %6x%7")
        .arg(name)
        .arg(at.x())
        .arg(at.y())
        .arg(at.width())
        .arg(at.height())
        .arg(screen.width())
        .arg(screen.height());
  }

  QAction* Action(const char* text) {
    for (QAction* menu : h_->window().menuBar()->actions()) {
      for (QAction* action : menu->menu()->actions()) {
        if (action->text() == QString::fromUtf8(text)) return action;
      }
    }
    return nullptr;
  }

  std::unique_ptr<testing::MainWindowHarness> h_;
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::DialogsOnScreenTest)
#include "dialogs_on_screen_test.moc"
