#include "ui/settings/mail_box_page.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/store/mail_box.h"
#include "ui/platform/file_dialogs.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/number_field.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

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

}  // namespace

MailBoxPage::MailBoxPage(const SettingsStore& store, std::function<void()> mailerChanged)
    : store_(store), mailerChanged_(std::move(mailerChanged)) {
  mailBox_ = NamedEdit("mailBox");
  mailBoxBrowse_ = NamedButton(QStringLiteral("参照"), "mailBoxBrowse");
  mailer_ = new QComboBox;
  mailer_->setObjectName(QStringLiteral("mailer"));
  for (const MailerItem& item : kMailerItems) {
    mailer_->addItem(QString::fromUtf8(item.text), static_cast<int>(item.kind));
  }
  mailerPath_ = NamedEdit("mailerPath");
  mailerPath_->setPlaceholderText(QStringLiteral("送信ｳｨﾝﾄﾞｳを開くﾒｰﾗｰのﾌﾟﾛｸﾞﾗﾑ"));
  mailerBrowse_ = NamedButton(QStringLiteral("参照"), "mailerBrowse");
  auto* sentDaysField = new NumberField(0, static_cast<int>(kSentDays.max), "sentDays");
  sentDaysField_ = sentDaysField;
  sentDays_ = sentDaysField->edit();
  mailBox_->setToolTip(QStringLiteral("作成したｺﾏﾝﾄﾞﾒｰﾙを送信まで置くﾌｫﾙﾀﾞ。空なら %1 です")
                           .arg(FromCp932(DefaultMailBox())));
  mailer_->setToolTip(QStringLiteral(
      "作成したﾒｰﾙの送り方。外部ﾒｰﾗｰにはﾒｰﾙﾌｧｲﾙを渡し、直接SMTPは下のｻｰﾊﾞｰへ送ります"));
  mailerPath_->setToolTip(
      QStringLiteral("外部ﾒｰﾗｰのﾌﾟﾛｸﾞﾗﾑ。｢参照｣で選べます。直接SMTPでは使いません"));
  sentDaysField->setToolTip(
      QStringLiteral("送信したﾒｰﾙを送信済みﾒｰﾙに残す日数 (0〜%1)。0 なら送信したら削除します")
          .arg(kSentDays.max));

  QObject::connect(mailBoxBrowse_, &QPushButton::clicked, mailBoxBrowse_,
                   [this] { BrowseMailBox(); });
  QObject::connect(mailerBrowse_, &QPushButton::clicked, mailerBrowse_, [this] { BrowseMailer(); });
  QObject::connect(mailer_, &QComboBox::activated, mailer_,
                   [this](int index) { OnMailerChanged(index); });
}

// The guide shows no row of the sent days: a field no window took in is the page's own. (The
// window's children go after its members, so those it took are still there to ask.)
MailBoxPage::~MailBoxPage() {
  if (sentDaysField_->parent() == nullptr) delete sentDaysField_;
}

void MailBoxPage::AddMailerRows(QGridLayout& grid, int& row) {
  grid.addWidget(new QLabel(QStringLiteral("ﾒｰﾙ保存ﾊﾟｽ")), row, 0);
  grid.addWidget(mailBox_, row, 1, 1, 2);
  grid.addWidget(mailBoxBrowse_, row++, 3);
  grid.addWidget(new QLabel(QStringLiteral("使用するﾒｰﾗｰ")), row, 0);
  grid.addWidget(mailer_, row++, 1, 1, 3);
  grid.addWidget(new QLabel(QStringLiteral("ﾒｰﾗｰのﾊﾟｽ")), row, 0);
  grid.addWidget(mailerPath_, row, 1, 1, 2);
  grid.addWidget(mailerBrowse_, row++, 3);
}

void MailBoxPage::AddSentDaysRow(QGridLayout& grid, int& row) {
  auto* sentDaysRow = new QHBoxLayout;
  sentDaysRow->addWidget(sentDaysField_);
  sentDaysRow->addWidget(new QLabel(QStringLiteral("日 (0: 送信したら削除)")));
  sentDaysRow->addStretch();
  grid.addWidget(new QLabel(QString::fromUtf8(kSentDays.label.data(), kSentDays.label.size())), row,
                 0);
  grid.addLayout(sentDaysRow, row++, 1, 1, 3);
}

bool MailBoxPage::directSmtp() const {
  return mailerKind_ == static_cast<std::uint32_t>(MailerKind::DirectSmtp);
}

void MailBoxPage::Load(const CommonSettings& settings) {
  mailBox_->setText(FromCp932(settings.Text(kMailBox)));
  mailerKind_ = settings.Number(kMailer);
  mailerPath_->setText(FromCp932(settings.Text(kMailerPath)));
  sentDays_->setText(QString::number(settings.Number(kSentDays)));
  // A stored kind without an item (3) shows none, and stays as it is unless another is picked.
  mailer_->setCurrentIndex(mailer_->findData(static_cast<int>(mailerKind_)));
}

PageOutcome MailBoxPage::Store(CommonSettings& settings) const {
  return SettingsWriter(settings)
      .Text(kMailBox, *mailBox_)
      .Set(kMailer, mailerKind_)
      .Text(kMailerPath, *mailerPath_)
      .Number(kSentDays, *sentDays_)
      .outcome();
}

void MailBoxPage::EnableFor(bool directSmtp) {
  mailerPath_->setEnabled(!directSmtp);
  mailerBrowse_->setEnabled(!directSmtp);
}

void MailBoxPage::OnMailerChanged(int index) {
  mailerKind_ = mailer_->itemData(index).toUInt();
  mailerPath_->setText(
      FromCp932(SuggestedMailerPath(store_.ReadRoot(), ToMailerKind(mailerKind_))));
  mailerChanged_();
}

void MailBoxPage::BrowseMailBox() {
  QFileDialog chooser(mailBox_->window(), QStringLiteral("ﾌｫﾙﾀﾞの選択"));
  chooser.setFileMode(QFileDialog::Directory);
  chooser.setOption(QFileDialog::ShowDirsOnly);
  const QString shown = mailBox_->text();
  chooser.setDirectory(QDir(shown).exists() ? shown : QDir::currentPath());
  if (ExecFileDialog(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  mailBox_->setText(chooser.selectedFiles().first());
}

void MailBoxPage::BrowseMailer() {
  QFileDialog chooser(mailerPath_->window());
  chooser.setFileMode(QFileDialog::ExistingFile);
  // Programs on Linux are known by their mode, not by a name ending in ".exe".
  const QString programs = QStringLiteral("実行ﾌｧｲﾙ (*)");
  chooser.setNameFilters({programs, QStringLiteral("全てのﾌｧｲﾙ (*)")});
  chooser.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
  QObject::connect(&chooser, &QFileDialog::filterSelected, &chooser,
                   [&chooser, programs](const QString& f) {
                     const QDir::Filters files = QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot;
                     chooser.setFilter(f == programs ? files | QDir::Executable : files);
                   });
  if (!mailerPath_->text().isEmpty()) chooser.selectFile(mailerPath_->text());
  if (ExecFileDialog(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  mailerPath_->setText(chooser.selectedFiles().first());
}

}  // namespace tarnwick
