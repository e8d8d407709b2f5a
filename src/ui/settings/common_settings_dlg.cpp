#include "ui/settings/common_settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/delivery/ras_dialer.h"
#include "core/platform/secret_store.h"
#include "core/store/common_settings.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/number_field.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

constexpr int kPortStepMax = 32767;  // the up-down arrows cover 0 to 32767; typing goes beyond

struct MailerItem {
  const char* text;
  MailerKind kind;
};

constexpr MailerItem kMailerItems[] = {
    // Named by what they do: the outside program gets the mail file in its own argument form.
    {"外部ﾒｰﾗｰの送信ｳｨﾝﾄﾞｳを開く (/F=ﾌｧｲﾙ)", MailerKind::Alsend},
    {"外部ﾒｰﾗｰの送信ｳｨﾝﾄﾞｳを開く (/file:ﾌｧｲﾙ)", MailerKind::Almail},
    {"直接SMTPサーバーへ接続", MailerKind::DirectSmtp},
};

QComboBox* SecurityChoice(const char* name) {
  auto* choice = new QComboBox;
  choice->setObjectName(QString::fromLatin1(name));
  choice->addItems({QStringLiteral("なし"), QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS")});
  return choice;
}

}  // namespace

CCommonSettingsDlg::CCommonSettingsDlg(const SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
  setWindowTitle(QStringLiteral("共通設定"));
  BuildControls();
  LoadSettings();
}

void CCommonSettingsDlg::BuildControls() {
  mailBoxEdit_ = NamedEdit("mailBox");
  QPushButton* mailBoxBrowse = NamedButton(QStringLiteral("参照"), "mailBoxBrowse");
  mailer_ = new QComboBox;
  mailer_->setObjectName(QStringLiteral("mailer"));
  mailerPath_ = NamedEdit("mailerPath");
  mailerPath_->setPlaceholderText(QStringLiteral("送信ｳｨﾝﾄﾞｳを開くﾒｰﾗｰのﾌﾟﾛｸﾞﾗﾑ"));
  mailerBrowse_ = NamedButton(QStringLiteral("参照"), "mailerBrowse");
  serverLabel_ = NamedLabel(QStringLiteral("SMTPｻｰﾊﾞ名"), "serverLabel");
  server_ = NamedEdit("smtpServer");
  portLabel_ = NamedLabel(QStringLiteral("ﾎﾟｰﾄ番号"), "portLabel");
  auto* portField = new NumberField(0, kPortStepMax, "smtpPort");
  port_ = portField->edit();
  portSpin_ = portField;
  securityLabel_ = NamedLabel(QStringLiteral("暗号化"), "securityLabel");
  security_ = SecurityChoice("security");
  authenticate_ = new QCheckBox(QStringLiteral("SMTP認証を使う"));
  authenticate_->setObjectName(QStringLiteral("authenticate"));
  extended_ = new QCheckBox(
      QStringLiteral("拡張SMTP(EHLO)で接続し、ｻｰﾊﾞｰが対応していればｺﾏﾝﾄﾞをまとめて送る"));
  extended_->setObjectName(QStringLiteral("extended"));
  userLabel_ = NamedLabel(QStringLiteral("ﾕｰｻﾞｰ名"), "userLabel");
  user_ = NamedEdit("smtpUser");
  passwordLabel_ = NamedLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), "passwordLabel");
  password_ = NamedEdit("smtpPassword");
  password_->setEchoMode(QLineEdit::Password);
  dialUp_ = new QCheckBox(QStringLiteral("ﾀﾞｲｱﾙｱｯﾌﾟで接続する"));
  dialUp_->setObjectName(QStringLiteral("dialUp"));
  entryLabel_ = NamedLabel(QStringLiteral("接続先"), "entryLabel");
  entry_ = new QComboBox;
  entry_->setObjectName(QStringLiteral("entry"));
  auto* sentDaysField = new NumberField(0, static_cast<int>(kSentDays.max), "sentDays");
  sentDays_ = sentDaysField->edit();

  connect(mailBoxBrowse, &QPushButton::clicked, this, &CCommonSettingsDlg::BrowseMailBox);
  connect(mailerBrowse_, &QPushButton::clicked, this, &CCommonSettingsDlg::BrowseMailer);
  connect(dialUp_, &QCheckBox::clicked, this, &CCommonSettingsDlg::UpdateEnables);
  connect(authenticate_, &QCheckBox::clicked, this, &CCommonSettingsDlg::UpdateEnables);
  connect(port_, &QLineEdit::textEdited, this, [this] { portTyped_ = true; });

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("ﾒｰﾙ保存ﾊﾟｽ")), 0, 0);
  grid->addWidget(mailBoxEdit_, 0, 1, 1, 2);
  grid->addWidget(mailBoxBrowse, 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("使用するﾒｰﾗｰ")), 1, 0);
  grid->addWidget(mailer_, 1, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾒｰﾗｰのﾊﾟｽ")), 2, 0);
  grid->addWidget(mailerPath_, 2, 1, 1, 2);
  grid->addWidget(mailerBrowse_, 2, 3);
  grid->addWidget(serverLabel_, 3, 0);
  grid->addWidget(server_, 3, 1, 1, 3);
  auto* portRow = new QHBoxLayout;
  portRow->addWidget(portSpin_);
  portRow->addStretch();
  grid->addWidget(portLabel_, 4, 0);
  grid->addLayout(portRow, 4, 1, 1, 3);
  grid->addWidget(securityLabel_, 5, 0);
  grid->addWidget(security_, 5, 1, 1, 3);
  grid->addWidget(extended_, 6, 0, 1, 4);
  grid->addWidget(authenticate_, 7, 0, 1, 4);
  grid->addWidget(userLabel_, 8, 0);
  grid->addWidget(user_, 8, 1, 1, 3);
  grid->addWidget(passwordLabel_, 9, 0);
  grid->addWidget(password_, 9, 1, 1, 3);
  grid->addWidget(dialUp_, 10, 0, 1, 4);
  grid->addWidget(entryLabel_, 11, 0);
  grid->addWidget(entry_, 11, 1, 1, 3);
  auto* sentDaysRow = new QHBoxLayout;
  sentDaysRow->addWidget(sentDaysField);
  sentDaysRow->addWidget(new QLabel(QStringLiteral("日 (0: 送信したら削除)")));
  sentDaysRow->addStretch();
  grid->addWidget(new QLabel(QString::fromUtf8(kSentDays.label.data(), kSentDays.label.size())), 12,
                  0);
  grid->addLayout(sentDaysRow, 12, 1, 1, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(BuildIncoming());
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

// Where the servers' replies arrive: the administrator's mailbox, read over IMAP.
QWidget* CCommonSettingsDlg::BuildIncoming() {
  incomingServer_ = NamedEdit("incomingServer");
  auto* portField = new NumberField(0, kPortStepMax, "incomingPort");
  incomingPort_ = portField->edit();
  incomingSecurity_ = SecurityChoice("incomingSecurity");
  incomingUser_ = NamedEdit("incomingUser");
  incomingPassword_ = NamedEdit("incomingPassword");
  incomingPassword_->setEchoMode(QLineEdit::Password);
  incomingFolder_ = NamedEdit("incomingFolder");
  incomingOnStart_ = new QCheckBox(QStringLiteral("起動時に受信する"));
  incomingOnStart_->setObjectName(QStringLiteral("incomingOnStart"));
  auto* box = new QGroupBox(QStringLiteral("返信の受信 (IMAP、読むだけでﾒｰﾙは変更しません)"));
  auto* grid = new QGridLayout(box);
  grid->addWidget(new QLabel(QStringLiteral("受信ｻｰﾊﾞ名")), 0, 0);
  grid->addWidget(incomingServer_, 0, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾎﾟｰﾄ番号")), 1, 0);
  grid->addWidget(portField, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("暗号化")), 1, 2);
  grid->addWidget(incomingSecurity_, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾕｰｻﾞｰ名")), 2, 0);
  grid->addWidget(incomingUser_, 2, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾊﾟｽﾜｰﾄﾞ")), 3, 0);
  grid->addWidget(incomingPassword_, 3, 1, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("ﾌｫﾙﾀﾞ")), 4, 0);
  grid->addWidget(incomingFolder_, 4, 1, 1, 3);
  grid->addWidget(incomingOnStart_, 5, 0, 1, 4);
  return box;
}

void CCommonSettingsDlg::LoadSettings() {
  const CommonSettings settings = CommonSettings::Load(store_);
  mailBoxEdit_->setText(FromCp932(settings.Text(kMailBox)));
  mailerKind_ = settings.Number(kMailer);
  mailerPath_->setText(FromCp932(settings.Text(kMailerPath)));
  dialUp_->setChecked(settings.Number(kDialUp) != 0);
  server_->setText(FromCp932(settings.Text(kSmtpServer)));
  port_->setText(QString::number(settings.Number(kSmtpPort)));
  security_->setCurrentIndex(
      static_cast<int>(std::min<std::uint32_t>(settings.Number(kSmtpSecurity), 2)));
  authenticate_->setChecked(settings.Number(kSmtpAuth) != 0);
  extended_->setChecked(settings.Number(kSmtpExtended) != 0);
  sentDays_->setText(QString::number(settings.Number(kSentDays)));
  incomingServer_->setText(FromCp932(settings.Text(kIncomingServer)));
  incomingPort_->setText(QString::number(settings.Number(kIncomingPort)));
  incomingSecurity_->setCurrentIndex(static_cast<int>(settings.Number(kIncomingSecurity)));
  incomingUser_->setText(FromCp932(settings.Text(kIncomingUser)));
  incomingPassword_->setText(FromCp932(settings.Text(kIncomingPassword)));
  incomingFolder_->setText(FromCp932(settings.Text(kIncomingFolder)));
  incomingOnStart_->setChecked(settings.Number(kIncomingOnStart) != 0);
  user_->setText(FromCp932(settings.Text(kSmtpUser)));
  password_->setText(FromCp932(settings.Text(kSmtpPassword)));

  QStringList entries;
  for (const std::string& name : CRasDialer::EnumEntries())
    entries << QString::fromStdString(name);
  entries.sort(Qt::CaseInsensitive);
  entry_->addItems(entries);
  // The stored entry is found by the start of its name, letter case ignored.
  const QString rasName = FromCp932(settings.Text(kRasName));
  entry_->setCurrentIndex(-1);
  for (int i = 0; i < entry_->count() && !rasName.isEmpty(); ++i) {
    if (entry_->itemText(i).startsWith(rasName, Qt::CaseInsensitive)) {
      entry_->setCurrentIndex(i);
      break;
    }
  }

  for (const MailerItem& item : kMailerItems) {
    mailer_->addItem(QString::fromUtf8(item.text), static_cast<int>(item.kind));
  }
  // A stored kind without an item (3) shows none, and stays as it is unless another is picked.
  mailer_->setCurrentIndex(mailer_->findData(static_cast<int>(mailerKind_)));
  connect(mailer_, &QComboBox::activated, this, &CCommonSettingsDlg::OnMailerChanged);
  connect(security_, &QComboBox::activated, this, &CCommonSettingsDlg::OnSecurityChanged);
  UpdateEnables();
}

void CCommonSettingsDlg::UpdateEnables() {
  const bool direct = mailerKind_ == static_cast<std::uint32_t>(MailerKind::DirectSmtp);
  for (QWidget* smtp : std::initializer_list<QWidget*>{
           serverLabel_, server_, portLabel_, port_, portSpin_, securityLabel_, security_,
           extended_, authenticate_, dialUp_, entryLabel_}) {
    smtp->setEnabled(direct);
  }
  for (QWidget* login :
       std::initializer_list<QWidget*>{userLabel_, user_, passwordLabel_, password_}) {
    login->setEnabled(direct && authenticate_->isChecked());
  }
  mailerPath_->setEnabled(!direct);
  mailerBrowse_->setEnabled(!direct);
  entry_->setEnabled(direct && dialUp_->isChecked());
}

void CCommonSettingsDlg::OnMailerChanged(int index) {
  mailerKind_ = mailer_->itemData(index).toUInt();
  mailerPath_->setText(
      FromCp932(SuggestedMailerPath(store_.ReadRoot(), ToMailerKind(mailerKind_))));
  UpdateEnables();
}

void CCommonSettingsDlg::BrowseMailBox() {
  QFileDialog chooser(this, QStringLiteral("ﾌｫﾙﾀﾞの選択"));
  chooser.setFileMode(QFileDialog::Directory);
  chooser.setOption(QFileDialog::ShowDirsOnly);
  const QString shown = mailBoxEdit_->text();
  chooser.setDirectory(QDir(shown).exists() ? shown : QDir::currentPath());
  if (ExecModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  mailBoxEdit_->setText(chooser.selectedFiles().first());
}

void CCommonSettingsDlg::BrowseMailer() {
  QFileDialog chooser(this);
  chooser.setFileMode(QFileDialog::ExistingFile);
  // Programs on Linux are known by their mode, not by a name ending in ".exe".
  const QString programs = QStringLiteral("実行ﾌｧｲﾙ (*)");
  chooser.setNameFilters({programs, QStringLiteral("全てのﾌｧｲﾙ (*)")});
  chooser.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
  connect(&chooser, &QFileDialog::filterSelected, &chooser, [&chooser, programs](const QString& f) {
    const QDir::Filters files = QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot;
    chooser.setFilter(f == programs ? files | QDir::Executable : files);
  });
  if (!mailerPath_->text().isEmpty()) chooser.selectFile(mailerPath_->text());
  if (ExecModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  mailerPath_->setText(chooser.selectedFiles().first());
}

void CCommonSettingsDlg::OnSecurityChanged(int index) {
  // The usual port of the mode, unless the user chose one here or the stored one is unusual.
  constexpr std::uint32_t kUsualPorts[] = {25, 587, 465};
  const std::optional<std::uint32_t> port = ParseUnsignedNumber(port_->text().toStdString());
  const bool usual = port && std::find(std::begin(kUsualPorts), std::end(kUsualPorts), *port) !=
                                 std::end(kUsualPorts);
  if (!portTyped_ && usual && index >= 0 && index < 3) {
    port_->setText(QString::number(kUsualPorts[index]));
  }
}

std::optional<std::uint32_t> CCommonSettingsDlg::TypedNumber(QLineEdit& field,
                                                             const NumberSetting& setting) {
  const std::optional<std::uint32_t> number = ParseUnsignedNumber(field.text().toStdString());
  const Refusal refusal = CheckNumberSetting(setting, number);
  if (!refusal) return number;
  ShowMessage(
      this, kProgramCaption,
      number ? QString::fromStdString(*refusal) : QStringLiteral("正の整数を入力してください。"));
  field.setFocus();
  return std::nullopt;
}

bool CCommonSettingsDlg::SaveSettings() {
  const std::optional<std::uint32_t> port = TypedNumber(*port_, kSmtpPort);
  if (!port) return false;
  const std::optional<std::uint32_t> sentDays = TypedNumber(*sentDays_, kSentDays);
  if (!sentDays) return false;
  const std::optional<std::uint32_t> incomingPort = TypedNumber(*incomingPort_, kIncomingPort);
  if (!incomingPort) return false;
  std::array<std::optional<std::string>, 4> incoming;
  QLineEdit* const incomingTexts[] = {incomingServer_, incomingUser_, incomingPassword_,
                                      incomingFolder_};
  for (std::size_t i = 0; i < incoming.size(); ++i) {
    if (!(incoming[i] = TypedCp932(*incomingTexts[i]))) return false;
  }
  const std::optional<std::string> mailBox = TypedCp932(*mailBoxEdit_);
  if (!mailBox) return false;
  const std::optional<std::string> mailerPath = TypedCp932(*mailerPath_);
  if (!mailerPath) return false;
  const std::optional<std::string> server = TypedCp932(*server_);
  if (!server) return false;
  const std::optional<std::string> user = TypedCp932(*user_);
  if (!user) return false;
  const std::optional<std::string> password = TypedCp932(*password_);
  if (!password) return false;
  const std::string rasName = ToCp932(entry_->currentText()).value_or("");

  CommonSettings settings = CommonSettings::Load(store_);
  settings.Set(kMailBox, *mailBox);
  settings.Set(kMailer, mailerKind_);
  settings.Set(kMailerPath, *mailerPath);
  settings.Set(kDialUp, dialUp_->isChecked() ? 1 : 0);
  settings.Set(kRasName, rasName);
  settings.Set(kSmtpServer, *server);
  settings.Set(kSmtpPort, *port);
  settings.Set(kSmtpSecurity, static_cast<std::uint32_t>(security_->currentIndex()));
  settings.Set(kSmtpAuth, authenticate_->isChecked() ? 1 : 0);
  settings.Set(kSmtpExtended, extended_->isChecked() ? 1 : 0);
  settings.Set(kSentDays, *sentDays);
  settings.Set(kIncomingServer, *incoming[0]);
  settings.Set(kIncomingPort, *incomingPort);
  settings.Set(kIncomingSecurity, static_cast<std::uint32_t>(incomingSecurity_->currentIndex()));
  settings.Set(kIncomingUser, *incoming[1]);
  settings.Set(kIncomingPassword, *incoming[2]);
  settings.Set(kIncomingFolder, *incoming[3]);
  settings.Set(kIncomingOnStart, incomingOnStart_->isChecked() ? 1 : 0);
  settings.Set(kSmtpUser, *user);
  settings.Set(kSmtpPassword, *password);
  if (const Refusal refusal = settings.Validate()) {
    ShowMessage(this, kProgramCaption, QString::fromStdString(*refusal));
    return false;
  }
  // Every value goes, or none does; a store that fails keeps the previous settings.
  if (!settings.Save(store_)) {
    ShowMessage(this, kProgramCaption, QStringLiteral("共通設定を保存できませんでした"));
    return false;
  }
  mailBox_ = *mailBox;
  return true;
}

void CCommonSettingsDlg::accept() {
  if (SaveSettings()) QDialog::accept();
}

}  // namespace tarnwick
