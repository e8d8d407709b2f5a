#include "ui/settings/common_settings_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/platform/secret_store.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/screen_fit.h"

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

namespace {

// A page of the sheet, its rows from the top, scrolling where the screen is smaller still.
QWidget* Page(QLayout* rows) {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  column->addLayout(rows);
  column->addStretch();
  return new FittingScrollArea(page);
}

}  // namespace

// Two pages, how mails are made and sent and where the replies come back: all of it at once is
// taller than a small screen.
void CCommonSettingsDlg::LayOut() {
  auto* sending = new QGridLayout;
  int row = 0;
  mailBoxPage_.AddMailerRows(*sending, row);
  adminPage_.AddRows(*sending, row);
  smtpPage_.AddRows(*sending, row);
  dialUpPage_.AddRows(*sending, row);
  mailBoxPage_.AddSentDaysRow(*sending, row);
  auto* receiving = new QVBoxLayout;
  receiving->addWidget(incomingPage_.box());
  auto* pages = new QTabWidget;
  pages->setObjectName(QStringLiteral("settingsPages"));
  pages->addTab(Page(sending), QStringLiteral("作成と送信"));
  pages->addTab(Page(receiving), QStringLiteral("受信"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages, 1);
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
