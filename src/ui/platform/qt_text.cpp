#include "ui/platform/qt_text.h"

#include <QLineEdit>

#include "core/platform/text_codec.h"
#include "ui/platform/modal.h"

namespace tarnwick {

QString FromCp932(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

std::optional<std::string> ToCp932(const QString& text, QString* offending) {
  Cp932Encoding encoded = Utf8ToCp932(text.toStdString());
  if (encoded.ok) return std::move(encoded.text);
  if (offending != nullptr) *offending = QString::fromStdString(encoded.offending);
  return std::nullopt;
}

std::optional<std::string> TypedCp932(QWidget& field, const QString& text) {
  QString offending;
  std::optional<std::string> cp932 = ToCp932(text, &offending);
  if (!cp932) {
    ShowMessage(&field, kProgramCaption, UnrepresentableTextMessage(offending));
    field.setFocus();
  }
  return cp932;
}

std::optional<std::string> TypedCp932(QLineEdit& edit) {
  return TypedCp932(edit, edit.text());
}

QString UnrepresentableTextMessage(const QString& offending) {
  return QStringLiteral("Shift_JISで表せない文字「%1」が含まれています。").arg(offending);
}

}  // namespace tarnwick
