#include "platform/named_widgets.h"

#include <QLineEdit>
#include <QPushButton>

namespace tarnwick {

QPushButton* NamedButton(const QString& text, const char* objectName) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromUtf8(objectName));
  return button;
}

QLineEdit* NamedEdit(const char* objectName) {
  auto* edit = new QLineEdit;
  edit->setObjectName(QString::fromUtf8(objectName));
  return edit;
}

}  // namespace tarnwick
