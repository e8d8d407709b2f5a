#include "ui/settings/dial_up_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include "core/delivery/ras_dialer.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

DialUpPage::DialUpPage() : entries_(SortedDialEntries(CRasDialer::EnumEntries())) {
  dialUp_ = new QCheckBox(QStringLiteral("ﾀﾞｲｱﾙｱｯﾌﾟで接続する"));
  dialUp_->setObjectName(QStringLiteral("dialUp"));
  entryLabel_ = NamedLabel(QStringLiteral("接続先"), "entryLabel");
  entry_ = new QComboBox;
  entry_->setObjectName(QStringLiteral("entry"));
  for (const std::string& name : entries_)
    entry_->addItem(QString::fromStdString(name));
  dialUp_->setToolTip(QStringLiteral("直接SMTPで送る前に接続先へつなぎ、送り終えたら切ります"));
  entry_->setToolTip(QStringLiteral(
      "NetworkManager の接続の名前 (nmcli connection show の一覧)。一覧が空なら登録がありません"));
  QObject::connect(dialUp_, &QCheckBox::clicked, dialUp_, [this] { EnableEntry(); });
}

void DialUpPage::AddRows(QGridLayout& grid, int& row) {
  grid.addWidget(dialUp_, row++, 0, 1, 4);
  grid.addWidget(entryLabel_, row, 0);
  grid.addWidget(entry_, row++, 1, 1, 3);
}

void DialUpPage::Load(const CommonSettings& settings) {
  dialUp_->setChecked(settings.Number(kDialUp) != 0);
  const std::optional<std::size_t> stored = FindDialEntry(entries_, settings.Text(kRasName));
  entry_->setCurrentIndex(stored ? static_cast<int>(*stored) : -1);
  EnableEntry();
}

PageOutcome DialUpPage::Store(CommonSettings& settings) const {
  return SettingsWriter(settings)
      .Set(kDialUp, dialUp_->isChecked() ? 1 : 0)
      .Set(kRasName, ToCp932(entry_->currentText()).value_or(""))
      .outcome();
}

void DialUpPage::EnableFor(bool directSmtp) {
  directSmtp_ = directSmtp;
  dialUp_->setEnabled(directSmtp);
  entryLabel_->setEnabled(directSmtp);
  EnableEntry();
}

void DialUpPage::EnableEntry() {
  entry_->setEnabled(directSmtp_ && dialUp_->isChecked());
}

}  // namespace tarnwick
