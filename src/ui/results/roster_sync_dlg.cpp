#include "ui/results/roster_sync_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <ctime>

#include "core/store/common_settings.h"
#include "ui/platform/background_task.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"
#include "ui/results/member_mails_flow.h"

namespace tarnwick {
namespace {

QListWidget* AddressColumn(const char* name) {
  auto* list = new QListWidget;
  list->setObjectName(QString::fromLatin1(name));
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setUniformItemSizes(true);  // thousands of rows stay quick
  return list;
}

void Fill(QListWidget* list, const std::vector<std::string>& addresses) {
  QStringList shown;
  for (const std::string& address : addresses)
    shown << FromCp932(address);
  list->clear();
  list->addItems(shown);
}

}  // namespace

CRosterSyncDlg::CRosterSyncDlg(const SettingsStore& store, const MailingListRegister& lists,
                               const MailingList& list, std::optional<Roster> roster,
                               QWidget* parent)
    : QDialog(parent),
      store_(store),
      lists_(lists),
      list_(list),
      roster_(std::move(roster)),
      status_(NamedLabel(QString(), "status")),
      addLabel_(new QLabel),
      removeLabel_(new QLabel),
      add_(AddressColumn("added")),
      remove_(AddressColumn("removed")),
      cautions_(NamedLabel(QString(), "cautions")) {
  setWindowTitle(QStringLiteral("同期 - %1").arg(FromCp932(list.Title)));
  status_->setWordWrap(true);
  cautions_->setWordWrap(true);
  cautions_->setStyleSheet(QStringLiteral("color: #b00000"));
  QDialogButtonBox* buttons = OkCancelButtons(this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QStringLiteral("ﾒｰﾙを作成"));
  ok_->setEnabled(false);
  auto* columns = new QGridLayout;
  columns->addWidget(addLabel_, 0, 0);
  columns->addWidget(removeLabel_, 0, 1);
  columns->addWidget(add_, 1, 0);
  columns->addWidget(remove_, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addLayout(columns, 1);
  layout->addWidget(cautions_);
  layout->addWidget(buttons);
  resize(560, 460);
  ShowPlan();
}

void CRosterSyncDlg::ReadFile(const QString& path) {
  std::optional<std::string> name = ToCp932(path);
  if (!name) {
    plan_.refusal = "ﾌｧｲﾙ名を扱えません";
    return ShowPlan();
  }
  reading_ = true;
  status_->setText(QStringLiteral("読込中... %1").arg(path));
  ok_->setEnabled(false);
  auto plan = std::make_shared<SyncPlan>();
  BackgroundTask::Start(
      this,
      [name = std::move(*name), list = list_, roster = roster_, plan](BackgroundTask::Context&) {
        const AddressText wanted = ReadAddressFile(name, list.Type, AddressTextRule::OnePerLine);
        *plan = PlanSync(list, roster, wanted, std::time(nullptr));
      },
      [this, plan] {
        plan_ = std::move(*plan);
        reading_ = false;
        ShowPlan();
      });
}

void CRosterSyncDlg::ShowPlan() {
  Fill(add_, plan_.add);
  Fill(remove_, plan_.remove);
  addLabel_->setText(QStringLiteral("＋ 登録する (%1件)").arg(plan_.add.size()));
  removeLabel_->setText(QStringLiteral("－ 削除する (%1件)").arg(plan_.remove.size()));
  QStringList notes;
  for (const std::string& caution : plan_.cautions)
    notes << QString::fromStdString(caution);
  if (plan_.adminKept) notes << AdminKeptNote(list_);
  cautions_->setText(notes.join(u'\n'));
  cautions_->setVisible(!notes.isEmpty());
  const bool nothing = plan_.add.empty() && plan_.remove.empty();
  if (plan_.refusal) {
    status_->setText(QString::fromStdString(*plan_.refusal) +
                     QStringLiteral("\nﾒｰﾙは作成しません"));
  } else if (!reading_) {
    status_->setText(nothing ? QStringLiteral("ﾒﾝﾊﾞｰはﾌｧｲﾙのとおりです")
                             : QStringLiteral("ﾌｧｲﾙのとおりにするﾒｰﾙを作成します"));
  }
  ok_->setEnabled(!reading_ && !plan_.refusal && !nothing);
}

bool CRosterSyncDlg::Queue(CommandId command, const std::vector<std::string>& addresses) {
  if (addresses.empty()) return true;
  MemberMails mails = ComposeListMails(list_, command, addresses);
  Refusal failure = mails.refusal;
  if (!failure) failure = QueueMemberMails(ReadMailBox(store_), lists_, list_, mails);
  for (const MemberMail& mail : mails.mails)
    queued_ += mail.path.empty() ? 0 : 1;
  if (failure) ShowMessage(this, kProgramCaption, QString::fromStdString(*failure));
  return !failure;
}

void CRosterSyncDlg::accept() {
  if (reading_ || plan_.refusal) return;
  QStringList cautions;
  for (const std::string& caution : plan_.cautions)
    cautions << QString::fromStdString(caution);
  if (!cautions.isEmpty() &&
      !AskOkCancel(this, kProgramCaption,
                   cautions.join(u'\n') + QStringLiteral("\n\nそれでも同期しますか?"))) {
    return;
  }
  // The missing first: a failure half-way then never leaves the list short of members.
  if (Queue(ID_SUBSCRIBE_PLATE, plan_.add)) Queue(ID_UNSUBSCRIBE_PLATE, plan_.remove);
  QDialog::accept();
}

}  // namespace tarnwick
