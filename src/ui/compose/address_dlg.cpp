#include "ui/compose/address_dlg.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "core/compose/value_rules.h"
#include "ui/compose/address_intake.h"
#include "ui/platform/modal.h"

namespace tarnwick {

CAddressDlg::CAddressDlg(ServerKind serverKind, QWidget* parent)
    : QDialog(parent), serverKind_(serverKind), edit_(new QPlainTextEdit) {
  setWindowTitle(QStringLiteral("ｱﾄﾞﾚｽ"));
  edit_->setObjectName(QStringLiteral("address"));
  edit_->setTabChangesFocus(true);
  edit_->setToolTip(QStringLiteral("「名前 <a@b>」は a@b として加えます。重複は1つにします"));
  edit_->setMinimumWidth(320);
  edit_->setFixedHeight(edit_->fontMetrics().lineSpacing() * 4 + 12);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("ｱﾄﾞﾚｽ (複数は改行・ｶﾝﾏ・空白で区切る)")));
  layout->addWidget(edit_);
  layout->addWidget(OkCancelButtons(this));
}

void CAddressDlg::accept() {
  const QString typed = edit_->toPlainText();
  AddressText text = ReadPastedAddresses(typed, serverKind_);
  Refusal refusal = text.refusal;
  // Nothing at all typed is refused as an empty address is; one line by its reason, as it was
  // typed; a paste by its first refused line, named by its number, never quoted whole.
  if (!refusal && text.addresses.empty()) {
    if (text.refused.empty()) {
      refusal = CheckAddressFor(serverKind_, "");
    } else {
      refusal = typed.trimmed().contains(u'\n') ? DescribeRefused(text.refused.front())
                                                : text.refused.front().reason;
    }
  }
  if (refusal) {
    ShowMessage(this, kProgramCaption, QString::fromStdString(*refusal), RefusedDetails(text));
    edit_->setFocus();
    return;
  }
  text_ = std::move(text);
  QDialog::accept();
}

}  // namespace tarnwick
