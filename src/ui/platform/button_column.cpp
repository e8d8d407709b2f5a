#include "ui/platform/button_column.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnwick {

QHBoxLayout* WithButtonColumn(QWidget* widget, std::initializer_list<QPushButton*> buttons) {
  auto* column = new QVBoxLayout;
  for (QPushButton* button : buttons)
    column->addWidget(button);
  column->addStretch();
  auto* row = new QHBoxLayout;
  row->addWidget(widget, 1);
  row->addLayout(column);
  return row;
}

}  // namespace tarnwick
