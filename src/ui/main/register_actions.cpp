#include "ui/main/register_actions.h"

#include <QWidget>

#include "core/compose/queue_folder.h"
#include "core/platform/secret_store.h"
#include "core/store/common_settings.h"
#include "ui/main/register_model.h"
#include "ui/platform/modal.h"
#include "ui/platform/qt_text.h"
#include "ui/store/mail_list_dlg.h"

namespace tarnwick {
namespace {

bool SameServerKind(const MailingList& a, const MailingList& b) {
  return a.Type == b.Type;
}

}  // namespace

RegisterActions::RegisterActions(QWidget* window, const SettingsStore& store, RegisterModel& model,
                                 std::optional<std::string> loaded)
    : QObject(window), window_(window), store_(store), model_(model), seen_(std::move(loaded)) {
  // Queued, so the message comes up after the in-place editor has closed, not inside its commit.
  connect(
      &model_, &RegisterModel::titleRefused, this,
      [this](const QString& offending) {
        ShowMessage(window_, kProgramCaption, UnrepresentableTextMessage(offending));
      },
      Qt::QueuedConnection);
  connect(&model_, &RegisterModel::titleEdited, this, &RegisterActions::Save, Qt::QueuedConnection);
}

std::optional<int> RegisterActions::Add() {
  CMailListDlg dialog(window_);
  MailingList fresh;  // starts with the administrator's own address, when the settings hold it
  fresh.Admin = CommonSettings::Load(store_).Text(kAdminAddress);
  dialog.SetList(fresh);
  if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
  return model_.Add(std::make_unique<MailingList>(dialog.list()));
}

std::optional<bool> RegisterActions::Edit(int row) {
  MailingList& list = model_.at(row);
  CMailListDlg dialog(window_);
  LoadPassword(list);
  dialog.SetList(list);
  if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
  const bool otherKind = !SameServerKind(dialog.list(), list);
  CopyDetails(dialog.list(), list);
  model_.Refresh(row);
  return otherKind;
}

bool RegisterActions::AgreesToDelete(int row, std::size_t queued) const {
  const QString title = FromCp932(model_.at(row).Title);
  if (queued == 0)
    return AskOkCancel(window_, QString(), QStringLiteral("「%1」を削除して良いですか").arg(title));
  return AskOkCancel(
      window_, QString(),
      QStringLiteral("「%1」には送信していない作成済ﾒｰﾙが%2通あります。\nﾒｰﾙも削除しますか")
          .arg(title)
          .arg(queued),
      QStringLiteral("ﾒｰﾙも削除する"), QStringLiteral("ﾘｽﾄを残す"));
}

std::optional<MailingListRegister> RegisterActions::ChangedElsewhere(std::string_view mailBox) {
  std::optional<std::string> stamp = store_.ChangeStamp();
  if (stamp && stamp == seen_) return std::nullopt;
  seen_ = std::move(stamp);
  MailingListRegister stored = LoadRegister(store_);
  CountQueuedMails(mailBox, stored);
  if (SameLists(stored, model_.lists())) return std::nullopt;
  return stored;
}

void RegisterActions::MovePasswordsToTheKeyring() {
  if (!secrets::Available()) return;
  const MailingListRegister& lists = model_.lists();
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!lists.at(i).Password.empty() && lists.at(i).PasswordId.empty()) {
      Save();
      break;
    }
  }
  const CommonSettings common = CommonSettings::Load(store_);
  if (common.HoldsPasswordsInTheFile()) common.Save(store_);
}

void RegisterActions::Save() {
  if (SaveRegister(store_, model_.lists())) return;
  ShowMessage(window_, kProgramCaption,
              model_.lists().unreadable() != 0
                  ? QString::fromStdString(UnreadableListsMessage(model_.lists()))
                  : QStringLiteral("登録MLﾘｽﾄを保存できませんでした"));
}

}  // namespace tarnwick
