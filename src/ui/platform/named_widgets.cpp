#include "ui/platform/named_widgets.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnwick {

QPushButton* NamedButton(const QString& text, const char* objectName) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromUtf8(objectName));
  return button;
}

QDialogButtonBox* CloseButtons(QDialog* dialog) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Close);
  QPushButton* close = box->button(QDialogButtonBox::Close);
  close->setText(QStringLiteral("閉じる"));
  close->setObjectName(QStringLiteral("close"));
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

QLabel* NamedLabel(const QString& text, const char* objectName) {
  auto* label = new QLabel(text);
  label->setObjectName(QString::fromUtf8(objectName));
  return label;
}

QLineEdit* NamedEdit(const char* objectName) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromUtf8(objectName));
  return edit;
}

}  // namespace tarnwick
