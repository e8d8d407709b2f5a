// A number edit with up and down arrows (and arrow keys) that step it within a range, while any
// number may still be typed.
#pragma once

#include <QWidget>

class QLineEdit;

namespace tarnwick {

class NumberField : public QWidget {
 public:
  NumberField(int minimum, int maximum, const char* objectName);

  QLineEdit* edit() const { return edit_; }
  void Step(int step);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int minimum_;
  int maximum_;
  QLineEdit* edit_;
};

}  // namespace tarnwick
