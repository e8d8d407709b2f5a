// The main window's menus, and the enabled state of their actions, which follows the window's
// state as it changes: a shortcut (Ctrl+Return, F5) works whenever its button would, whether or
// not its menu was ever opened.
#include <QAction>
#include <QMenuBar>

#include "ui/main/about_box.h"
#include "ui/main/guide_dlg.h"
#include "ui/main/main_dialog.h"
#include "ui/main/register_model.h"
#include "ui/members/member_search_dlg.h"
#include "ui/platform/modal.h"
#include "ui/platform/qt_text.h"
#include "ui/results/sent_mails_dlg.h"

namespace tarnwick {

void CMainDialog::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  importAction_ = file->addAction(QStringLiteral("Windowsの設定を取り込む(&I)..."), this,
                                  &CMainDialog::ImportWindowsSettings);
  file->addAction(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), this, &CMainDialog::close)
      ->setShortcut(QKeySequence::Quit);
  QMenu* settings = menuBar()->addMenu(QStringLiteral("設定(&S)"));
  settingsAction_ =
      settings->addAction(QStringLiteral("共通設定(&C)"), this, &CMainDialog::EditCommonSettings);
  guideAction_ = settings->addAction(QStringLiteral("設定ｶﾞｲﾄﾞ(&G)..."), this,
                                     &CMainDialog::OpenFirstStartGuide);
  QMenu* lists = menuBar()->addMenu(QStringLiteral("ﾒｰﾘﾝｸﾞﾘｽﾄ(&L)"));
  lists->addAction(QStringLiteral("追加(&A)"), this, &CMainDialog::AddList);
  editAction_ = lists->addAction(QStringLiteral("編集(&E)"), this, &CMainDialog::EditList);
  deleteAction_ = lists->addAction(QStringLiteral("削除(&D)"), this, &CMainDialog::DeleteList);
  QMenu* mail = menuBar()->addMenu(QStringLiteral("ﾒｰﾙ(&M)"));
  createAction_ =
      mail->addAction(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙ作成(&C)"), this, &CMainDialog::QueueCommandMail);
  createAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
  createdAction_ =
      mail->addAction(QStringLiteral("作成済ﾒｰﾙ編集(&E)"), this, &CMainDialog::OpenCreatedMails);
  sendAction_ = mail->addAction(QStringLiteral("ﾒｰﾙ送信(&S)"), this, &CMainDialog::StartSending);
  mail->addAction(QStringLiteral("送信済みﾒｰﾙと受信(&R)..."), this, &CMainDialog::OpenSentMails);
  mail->addAction(QStringLiteral("ﾒﾝﾊﾞｰ検索(&F)..."), this, &CMainDialog::OpenMemberSearch);
  mail->addAction(QStringLiteral("保留ﾒｰﾙ(&H)..."), this, &CMainDialog::OpenHeldMails);
  reviewAction_ =
      mail->addAction(QStringLiteral("返送ﾒｰﾙ集計(&B)..."), this, &CMainDialog::ReviewBounces);
  sendAction_->setShortcut(QKeySequence(Qt::Key_F5));
  // Desktops on Linux give a program no system menu: the about box sits where users look for it.
  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  QAction* guide =
      help->addAction(QStringLiteral("使い方(&U)..."), this, [this] { ShowGuide(this); });
  guide->setShortcut(QKeySequence(Qt::Key_F1));
  help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Tarnwick) (&A)..."), this,
                  [this] { ShowAboutBox(this); });
  UpdateActions();
}

// Called wherever the selection, the plate, the counts or a run change.
void CMainDialog::UpdateActions() {
  if (sendAction_ == nullptr) return;  // the menus are not built yet
  const MailingList* list = SelectedList();
  const bool sending = Sending();
  editAction_->setEnabled(list != nullptr);
  deleteAction_->setEnabled(list != nullptr && !sending);
  createAction_->setEnabled(CurrentPlate() != nullptr);
  createdAction_->setEnabled(list != nullptr && list->MailCount != 0);
  sendAction_->setEnabled(totalQueued_ != 0 && !sending);
  reviewAction_->setEnabled(list != nullptr);
  // A run holds the files of the mail box it was started on.
  for (QAction* settingsChange : {importAction_, settingsAction_, guideAction_})
    settingsChange->setEnabled(!sending);
}

void CMainDialog::OpenSentMails() {
  CSentMailsDlg dialog(store_, model_->lists(), this);
  ExecModal(dialog);
  CountQueued();  // a sync queues mails
  RefreshResults(false);
}

void CMainDialog::OpenMemberSearch() {
  CMemberSearchDlg dialog(store_, model_->lists(), this);
  connect(&dialog, &CMemberSearchDlg::mailsQueued, this, &CMainDialog::CountQueued);
  connect(&dialog, &CMemberSearchDlg::listChosen, this, [this](const QString& title) {
    const std::optional<std::string> cp932 = ToCp932(title);
    for (int row = 0; cp932 && row < model_->rowCount(); ++row) {
      if (model_->lists().at(static_cast<std::size_t>(row)).Title == *cp932) Select(row);
    }
  });
  ExecModal(dialog);
}

}  // namespace tarnwick
