#include "ui/settings/admin_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

AdminPage::AdminPage() {
  address_ = NamedEdit("adminAddress");
  address_->setPlaceholderText(QStringLiteral("ML追加のときの管理者ｱﾄﾞﾚｽ"));
  address_->setToolTip(QStringLiteral(
      "MLを追加するとき管理者ｱﾄﾞﾚｽに入るｱﾄﾞﾚｽ (例: admin@example.jp)。空なら毎回入力します"));
}

void AdminPage::AddRows(QGridLayout& grid, int& row) {
  grid.addWidget(new QLabel(QString::fromUtf8(kAdminAddressLabel.data(),
                                              static_cast<qsizetype>(kAdminAddressLabel.size()))),
                 row, 0);
  grid.addWidget(address_, row++, 1, 1, 3);
}

void AdminPage::Load(const CommonSettings& settings) {
  address_->setText(FromCp932(settings.Text(kAdminAddress)));
}

PageOutcome AdminPage::Store(CommonSettings& settings) const {
  if (PageOutcome typed = SettingsWriter(settings).Text(kAdminAddress, *address_).outcome())
    return typed;
  if (const Refusal refusal = CheckAdminAddress(settings.Text(kAdminAddress)))
    return PageRefusal{QString::fromStdString(*refusal), address_};
  return std::nullopt;
}

}  // namespace tarnwick
