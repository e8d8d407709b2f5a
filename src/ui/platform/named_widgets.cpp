#include "ui/platform/named_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarnwick {

QPushButton* NamedButton(const QString& text, const char* objectName) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromUtf8(objectName));
  return button;
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
