#include "ui/settings/incoming_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/platform/named_widgets.h"
#include "ui/platform/number_field.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

IncomingPage::IncomingPage() {
  server_ = NamedEdit("incomingServer");
  auto* portField = new NumberField(0, kPortStepMax, "incomingPort");
  port_ = portField->edit();
  security_ = SecurityChoice("incomingSecurity");
  user_ = NamedEdit("incomingUser");
  password_ = NamedEdit("incomingPassword");
  password_->setEchoMode(QLineEdit::Password);
  folder_ = NamedEdit("incomingFolder");
  onStart_ = new QCheckBox(QStringLiteral("起動時に受信する"));
  onStart_->setObjectName(QStringLiteral("incomingOnStart"));
  server_->setToolTip(QStringLiteral(
      "MLｻｰﾊﾞｰの返信が届くIMAPｻｰﾊﾞｰのﾎｽﾄ名 (例: imap.example.jp)。空なら受信しません"));
  portField->setToolTip(
      QStringLiteral("IMAPｻｰﾊﾞｰのﾎﾟｰﾄ。ふつうは SSL/TLS で 993、なしか STARTTLS で 143"));
  user_->setToolTip(QStringLiteral("IMAPのﾕｰｻﾞｰ名 (例: admin@example.jp)"));
  password_->setToolTip(QStringLiteral("IMAPのﾊﾟｽﾜｰﾄﾞ。ｷｰﾘﾝｸﾞ (なければ設定ﾌｧｲﾙ) に保存します"));
  folder_->setToolTip(
      QStringLiteral("返信が届くﾌｫﾙﾀﾞ (例: INBOX)。読むだけで、ﾒｰﾙを移動も削除もしません"));
  onStart_->setToolTip(QStringLiteral("ﾌﾟﾛｸﾞﾗﾑを開いたとき、このﾌｫﾙﾀﾞから返信を受信します"));
  box_ = new QGroupBox(QStringLiteral("返信の受信 (IMAP、読むだけでﾒｰﾙは変更しません)"));
  auto* grid = new QGridLayout(box_);
  grid->addWidget(new QLabel(QStringLiteral("受信ｻｰﾊﾞ名")), 0, 0);
  grid->addWidget(server_, 0, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾎﾟｰﾄ番号")), 1, 0);
  grid->addWidget(portField, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("暗号化")), 1, 2);
  grid->addWidget(security_, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾕｰｻﾞｰ名")), 2, 0);
  grid->addWidget(user_, 2, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ")), 3, 0);
  grid->addWidget(password_, 3, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾌｫﾙﾀﾞ")), 4, 0);
  grid->addWidget(folder_, 4, 1, 1, 3);
  grid->addWidget(onStart_, 5, 0, 1, 4);
}

void IncomingPage::Load(const CommonSettings& settings) {
  server_->setText(FromCp932(settings.Text(kIncomingServer)));
  port_->setText(QString::number(settings.Number(kIncomingPort)));
  security_->setCurrentIndex(static_cast<int>(settings.Number(kIncomingSecurity)));
  user_->setText(FromCp932(settings.Text(kIncomingUser)));
  password_->setText(FromCp932(settings.Text(kIncomingPassword)));
  folder_->setText(FromCp932(settings.Text(kIncomingFolder)));
  onStart_->setChecked(settings.Number(kIncomingOnStart) != 0);
}

PageOutcome IncomingPage::Store(CommonSettings& settings) const {
  return SettingsWriter(settings)
      .Text(kIncomingServer, *server_)
      .Number(kIncomingPort, *port_)
      .Set(kIncomingSecurity, static_cast<std::uint32_t>(security_->currentIndex()))
      .Text(kIncomingUser, *user_)
      .Text(kIncomingPassword, *password_)
      .Text(kIncomingFolder, *folder_)
      .Set(kIncomingOnStart, onStart_->isChecked() ? 1 : 0)
      .outcome();
}

}  // namespace tarnwick
