#include "ui/settings/common_settings_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/platform/secret_store.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"

namespace tarnwick {

CCommonSettingsDlg::CCommonSettingsDlg(const SettingsStore& store, QWidget* parent)
    : QDialog(parent),
      store_(store),
      mailBoxPage_(store, [this] { EnablePages(); }),
      pages_{&mailBoxPage_, &smtpPage_, &dialUpPage_, &incomingPage_} {
  setWindowTitle(QStringLiteral("共通設定"));
  LayOut();
  const CommonSettings settings = CommonSettings::Load(store_);
  for (SettingsPage* page : pages_)
    page->Load(settings);
  EnablePages();
}

void CCommonSettingsDlg::LayOut() {
  auto* grid = new QGridLayout;
  int row = 0;
  mailBoxPage_.AddMailerRows(*grid, row);
  smtpPage_.AddRows(*grid, row);
  dialUpPage_.AddRows(*grid, row);
  mailBoxPage_.AddSentDaysRow(*grid, row);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(incomingPage_.box());
  if (!secrets::Available()) {
    auto* note = NamedLabel(QStringLiteral("ｷｰﾘﾝｸﾞ(Secret Service)が動いていないため、"
                                           "ﾊﾟｽﾜｰﾄﾞは設定ﾌｧｲﾙ(所有者だけが読める)に保存します"),
                            "keyringNote");
    note->setWordWrap(true);
    layout->addWidget(note);
  }
  layout->addWidget(OkCancelButtons(this));
  setMinimumWidth(460);
}

void CCommonSettingsDlg::EnablePages() {
  const bool directSmtp = mailBoxPage_.directSmtp();
  for (SettingsPage* page : pages_)
    page->EnableFor(directSmtp);
}

bool CCommonSettingsDlg::SaveSettings() {
  CommonSettings settings = CommonSettings::Load(store_);
  for (const SettingsPage* page : pages_) {
    if (const PageOutcome refusal = page->Store(settings)) {
      ShowMessage(this, kProgramCaption, refusal->message);
      refusal->field->setFocus();
      return false;
    }
  }
  if (const Refusal refusal = settings.Validate()) {
    ShowMessage(this, kProgramCaption, QString::fromStdString(*refusal));
    return false;
  }
  // Every value goes, or none does; a store that fails keeps the previous settings.
  if (!settings.Save(store_)) {
    ShowMessage(this, kProgramCaption, QStringLiteral("共通設定を保存できませんでした"));
    return false;
  }
  mailBox_ = settings.Text(kMailBox);
  return true;
}

void CCommonSettingsDlg::accept() {
  if (SaveSettings()) QDialog::accept();
}

}  // namespace tarnwick
