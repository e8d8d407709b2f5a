// Controls made with an object name, so tests (and style sheets) can find each one.
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

QPushButton* NamedButton(const QString& text, const char* objectName);
QLineEdit* NamedEdit(const char* objectName);
QLabel* NamedLabel(const QString& text, const char* objectName);
// A window's 閉じる button (object name "close"), which closes the dialog as Esc does.
QDialogButtonBox* CloseButtons(QDialog* dialog);

}  // namespace tarnwick
