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
      pages_{&mailBoxPage_, &adminPage_, &smtpPage_, &dialUpPage_, &incomingPage_} {
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
  adminPage_.AddRows(*grid, row);
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

void CCommonSettingsDlg::accept() {
  const std::optional<CommonSettings> saved = SavePages(this, store_, pages_);
  if (!saved) return;
  mailBox_ = saved->Text(kMailBox);
  QDialog::accept();
}

}  // namespace tarnwick
