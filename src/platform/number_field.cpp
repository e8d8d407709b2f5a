#include "platform/number_field.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/named_widgets.h"

namespace tarnwick {

NumberField::NumberField(int minimum, int maximum, const char* objectName)
    : minimum_(minimum), maximum_(maximum), edit_(NamedEdit(objectName)) {
  auto* up = new QToolButton;
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton;
  down->setArrowType(Qt::DownArrow);
  connect(up, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
  edit_->installEventFilter(this);
  auto* arrows = new QVBoxLayout;
  arrows->setSpacing(0);
  arrows->addWidget(up);
  arrows->addWidget(down);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit_);
  layout->addLayout(arrows);
}

void NumberField::Step(int step) {
  bool ok = false;
  const long long number = edit_->text().trimmed().toLongLong(&ok);
  const long long next = ok ? number + step : minimum_;
  edit_->setText(QString::number(std::clamp<long long>(next, minimum_, maximum_)));
}

bool NumberField::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Up && key != Qt::Key_Down) return false;
  Step(key == Qt::Key_Up ? 1 : -1);
  return true;
}

}  // namespace tarnwick
