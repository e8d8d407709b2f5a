#include "ui/settings/first_start_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/screen_fit.h"

namespace tarnwick {

CFirstStartDlg::CFirstStartDlg(const SettingsStore& store, QWidget* parent)
    : QDialog(parent),
      store_(store),
      mailBoxPage_(store, [this] { EnablePages(); }),
      pages_{&mailBoxPage_, &smtpPage_, &adminPage_, &incomingPage_} {
  setObjectName(QStringLiteral("firstStart"));
  setWindowTitle(QStringLiteral("設定ｶﾞｲﾄﾞ"));
  LayOut();
  const CommonSettings settings = CommonSettings::Load(store_);
  for (SettingsPage* page : pages_)
    page->Load(settings);
  EnablePages();
}

QWidget* CFirstStartDlg::Section(const QString& title, QLayout* rows) {
  auto* box = new QGroupBox(title);
  box->setLayout(rows);
  return box;
}

void CFirstStartDlg::LayOut() {
  auto* intro = NamedLabel(
      QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙを作成して送信するための設定です。あとで「設定 → 設定ｶﾞｲﾄﾞ」や"
                     "「設定 → 共通設定」から変更できます。"),
      "intro");
  intro->setWordWrap(true);
  auto* mailBox = new QGridLayout;
  int row = 0;
  mailBoxPage_.AddMailerRows(*mailBox, row);
  auto* smtp = new QGridLayout;
  row = 0;
  smtpPage_.AddRows(*smtp, row);
  auto* admin = new QGridLayout;
  row = 0;
  adminPage_.AddRows(*admin, row);

  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("保存"), QDialogButtonBox::AcceptRole)
      ->setObjectName(QStringLiteral("saveButton"));
  buttons->addButton(QStringLiteral("ｽｷｯﾌﾟ"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("skipButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  // Two columns, so the guide fits a small screen whole: where mails are kept and who sends them
  // beside the server they go to, and under both the mailbox the replies come back to. A screen
  // smaller still scrolls them above the buttons.
  auto* body = new QWidget;
  body->setMinimumWidth(860);  // the two columns side by side; a narrower screen scrolls them
  auto* layout = new QGridLayout(body);
  layout->addWidget(intro, 0, 0, 1, 2);
  auto* left = new QVBoxLayout;
  left->addWidget(Section(QStringLiteral("1. ﾒｰﾙの保存先と送信方法"), mailBox));
  left->addWidget(Section(QStringLiteral("3. 管理者"), admin));
  left->addStretch();
  layout->addLayout(left, 1, 0);
  layout->addWidget(Section(QStringLiteral("2. SMTPｻｰﾊﾞｰ"), smtp), 1, 1, Qt::AlignTop);
  incomingPage_.box()->setTitle(QStringLiteral("4. ") + incomingPage_.box()->title());
  layout->addWidget(incomingPage_.box(), 2, 0, 1, 2);
  auto* column = new QVBoxLayout(this);
  column->addWidget(new FittingScrollArea(body), 1);
  column->addWidget(buttons);
}

void CFirstStartDlg::EnablePages() {
  const bool directSmtp = mailBoxPage_.directSmtp();
  for (SettingsPage* page : pages_)
    page->EnableFor(directSmtp);
}

void CFirstStartDlg::accept() {
  const std::optional<CommonSettings> saved = SavePages(this, store_, pages_);
  if (!saved) return;
  mailBox_ = saved->Text(kMailBox);
  QDialog::accept();
}

}  // namespace tarnwick
