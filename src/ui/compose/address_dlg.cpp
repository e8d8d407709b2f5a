#include "ui/compose/address_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/compose/value_rules.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

CAddressDlg::CAddressDlg(ServerKind serverKind, QWidget* parent)
    : QDialog(parent), serverKind_(serverKind), edit_(NamedEdit("address")) {
  setWindowTitle(QStringLiteral("ｱﾄﾞﾚｽ"));
  edit_->setMinimumWidth(280);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("ｱﾄﾞﾚｽ"), edit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCancelButtons(this));
}

void CAddressDlg::accept() {
  std::optional<std::string> text = TypedCp932(*edit_);
  if (!text) return;
  if (const Refusal refusal = CheckAddressFor(serverKind_, *text)) {
    ShowMessage(this, kProgramCaption, QString::fromStdString(*refusal));
    edit_->setFocus();
    return;
  }
  address_ = std::move(*text);
  QDialog::accept();
}

}  // namespace tarnwick
