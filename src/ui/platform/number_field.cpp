#include "ui/platform/number_field.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>

#include "ui/platform/named_widgets.h"

namespace tarnwick {

NumberField::NumberField(int minimum, int maximum, const char* objectName)
    : minimum_(minimum), maximum_(maximum) {
  setLineEdit(NamedEdit(objectName));
  // Set again: taking the edit gives it the spin box's own name.
  lineEdit()->setObjectName(QString::fromLatin1(objectName));
}

void NumberField::stepBy(int steps) {
  if (isReadOnly()) return;
  bool ok = false;
  const long long number = lineEdit()->text().trimmed().toLongLong(&ok);
  const long long next = ok ? number + steps : minimum_;
  lineEdit()->setText(QString::number(std::clamp<long long>(next, minimum_, maximum_)));
}

// Room for the widest number of the range and a little more, as a spin box of that range has.
QSize NumberField::sizeHint() const {
  ensurePolished();
  const QFontMetrics metrics = fontMetrics();
  const int text = std::max(metrics.horizontalAdvance(QString::number(minimum_)),
                            metrics.horizontalAdvance(QString::number(maximum_)));
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QSize content(text + 2 * metrics.horizontalAdvance(u'0'), lineEdit()->sizeHint().height());
  return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QAbstractSpinBox::StepEnabled NumberField::stepEnabled() const {
  // Whatever was typed, an arrow brings it back into the range.
  return isReadOnly() ? StepNone : StepUpEnabled | StepDownEnabled;
}

}  // namespace tarnwick
