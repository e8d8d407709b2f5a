// A widget with a column of buttons on its right, stacked from the top: the shape of every list
// that has its own add, edit and delete buttons.
#pragma once

#include <initializer_list>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace tarnwick {

QHBoxLayout* WithButtonColumn(QWidget* widget, std::initializer_list<QPushButton*> buttons);

}  // namespace tarnwick
