// A number field in the platform's spin box look: its arrows (and the arrow keys, and the wheel)
// step it within a range, while any text may still be typed, for the rules of the form it sits
// in to judge.
#pragma once

#include <QAbstractSpinBox>

class QLineEdit;

namespace tarnwick {

class NumberField : public QAbstractSpinBox {
 public:
  NumberField(int minimum, int maximum, const char* objectName);

  QLineEdit* edit() const { return lineEdit(); }
  void Step(int step) { stepBy(step); }
  void stepBy(int steps) override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  StepEnabled stepEnabled() const override;

 private:
  int minimum_;
  int maximum_;
};

}  // namespace tarnwick
