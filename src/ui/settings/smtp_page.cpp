#include "ui/settings/smtp_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "core/store/usual_ports.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/number_field.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

SmtpPage::SmtpPage() {
  serverLabel_ = NamedLabel(
      QString::fromUtf8(kSmtpServerLabel.data(), static_cast<qsizetype>(kSmtpServerLabel.size())),
      "serverLabel");
  server_ = NamedEdit("smtpServer");
  portLabel_ = NamedLabel(QStringLiteral("ﾎﾟｰﾄ番号"), "portLabel");
  auto* portField = new NumberField(0, kPortStepMax, "smtpPort");
  portField_ = portField;
  port_ = portField->edit();
  securityLabel_ = NamedLabel(QStringLiteral("暗号化"), "securityLabel");
  security_ = SecurityChoice("security");
  extended_ = new QCheckBox(
      QStringLiteral("拡張SMTP(EHLO)で接続し、ｻｰﾊﾞｰが対応していればｺﾏﾝﾄﾞをまとめて送る"));
  extended_->setObjectName(QStringLiteral("extended"));
  authenticate_ = new QCheckBox(QStringLiteral("SMTP認証を使う"));
  authenticate_->setObjectName(QStringLiteral("authenticate"));
  userLabel_ = NamedLabel(QStringLiteral("ﾕｰｻﾞｰ名"), "userLabel");
  user_ = NamedEdit("smtpUser");
  passwordLabel_ = NamedLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), "passwordLabel");
  password_ = NamedEdit("smtpPassword");
  password_->setEchoMode(QLineEdit::Password);
  SetTips();

  QObject::connect(authenticate_, &QCheckBox::clicked, authenticate_, [this] { EnableLogin(); });
  QObject::connect(port_, &QLineEdit::textEdited, port_, [this] { portTyped_ = true; });
  QObject::connect(security_, &QComboBox::activated, security_,
                   [this](int index) { OnSecurityChanged(index); });
}

void SmtpPage::SetTips() {
  server_->setToolTip(QStringLiteral(
      "ｺﾏﾝﾄﾞﾒｰﾙを送るｻｰﾊﾞｰのﾎｽﾄ名かIPｱﾄﾞﾚｽ (例: smtp.example.jp)。直接SMTPでは必ず入力します"));
  portField_->setToolTip(QStringLiteral("ふつうは暗号化なしで %1、STARTTLS で %2、SSL/TLS で %3。"
                                        "暗号化を選ぶとその番号になります")
                             .arg(UsualSmtpPort(SmtpSecurity::None))
                             .arg(UsualSmtpPort(SmtpSecurity::StartTls))
                             .arg(UsualSmtpPort(SmtpSecurity::Tls)));
  extended_->setToolTip(
      QStringLiteral("まとめて送るとﾒｰﾙ1通の往復が4回から2回に減ります。EHLO を断るｻｰﾊﾞｰには HELO "
                     "で接続し直します"));
  authenticate_->setToolTip(
      QStringLiteral("ｻｰﾊﾞｰが送信にﾛｸﾞｲﾝを求めるときにﾁｪｯｸし、ﾕｰｻﾞｰ名とﾊﾟｽﾜｰﾄﾞを入力します"));
  user_->setToolTip(QStringLiteral("SMTP認証のﾕｰｻﾞｰ名 (例: admin@example.jp)"));
  password_->setToolTip(
      QStringLiteral("SMTP認証のﾊﾟｽﾜｰﾄﾞ。ｷｰﾘﾝｸﾞ (なければ設定ﾌｧｲﾙ) に保存します"));
}

void SmtpPage::AddRows(QGridLayout& grid, int& row) {
  grid.addWidget(serverLabel_, row, 0);
  grid.addWidget(server_, row++, 1, 1, 3);
  auto* portRow = new QHBoxLayout;
  portRow->addWidget(portField_);
  portRow->addStretch();
  grid.addWidget(portLabel_, row, 0);
  grid.addLayout(portRow, row++, 1, 1, 3);
  grid.addWidget(securityLabel_, row, 0);
  grid.addWidget(security_, row++, 1, 1, 3);
  grid.addWidget(extended_, row++, 0, 1, 4);
  grid.addWidget(authenticate_, row++, 0, 1, 4);
  grid.addWidget(userLabel_, row, 0);
  grid.addWidget(user_, row++, 1, 1, 3);
  grid.addWidget(passwordLabel_, row, 0);
  grid.addWidget(password_, row++, 1, 1, 3);
}

void SmtpPage::Load(const CommonSettings& settings) {
  server_->setText(FromCp932(settings.Text(kSmtpServer)));
  port_->setText(QString::number(settings.Number(kSmtpPort)));
  security_->setCurrentIndex(
      static_cast<int>(std::min<std::uint32_t>(settings.Number(kSmtpSecurity), kSmtpSecurity.max)));
  authenticate_->setChecked(settings.Number(kSmtpAuth) != 0);
  extended_->setChecked(settings.Number(kSmtpExtended) != 0);
  user_->setText(FromCp932(settings.Text(kSmtpUser)));
  password_->setText(FromCp932(settings.Text(kSmtpPassword)));
  EnableLogin();
}

PageOutcome SmtpPage::Store(CommonSettings& settings) const {
  return SettingsWriter(settings)
      .Text(kSmtpServer, *server_)
      .Number(kSmtpPort, *port_)
      .Set(kSmtpSecurity, static_cast<std::uint32_t>(security_->currentIndex()))
      .Set(kSmtpAuth, authenticate_->isChecked() ? 1 : 0)
      .Set(kSmtpExtended, extended_->isChecked() ? 1 : 0)
      .Text(kSmtpUser, *user_)
      .Text(kSmtpPassword, *password_)
      .outcome();
}

void SmtpPage::EnableFor(bool directSmtp) {
  directSmtp_ = directSmtp;
  for (QWidget* smtp :
       std::initializer_list<QWidget*>{serverLabel_, server_, portLabel_, port_, portField_,
                                       securityLabel_, security_, extended_, authenticate_}) {
    smtp->setEnabled(directSmtp);
  }
  EnableLogin();
}

void SmtpPage::EnableLogin() {
  for (QWidget* login :
       std::initializer_list<QWidget*>{userLabel_, user_, passwordLabel_, password_}) {
    login->setEnabled(directSmtp_ && authenticate_->isChecked());
  }
}

void SmtpPage::OnSecurityChanged(int index) {
  // The usual port of the encryption, unless the user chose one here or the stored one is unusual.
  if (portTyped_ || index < 0) return;
  const std::optional<std::uint32_t> port = SmtpPortForSecurity(
      ParseUnsignedNumber(port_->text().toStdString()), static_cast<std::uint32_t>(index));
  if (port) port_->setText(QString::number(*port));
}

}  // namespace tarnwick
