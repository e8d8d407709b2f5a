#include "platform/modal.h"

#include <QMessageBox>
#include <QPushButton>

namespace tarnwick {
namespace {

ModalHook& Hook() {
  static ModalHook hook;
  return hook;
}

int RunMessageBox(QWidget* parent, const QString& caption, const QString& text,
                  QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, buttons, parent);
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
    cancel->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  }
  return ExecModal(box);
}

}  // namespace

int ExecModal(QDialog& dialog) {
  if (Hook()) return Hook()(dialog);
  return dialog.exec();
}

bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text) {
  return RunMessageBox(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel) ==
         QMessageBox::Ok;
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
  RunMessageBox(parent, caption, text, QMessageBox::Ok);
}

void SetModalHookForTesting(ModalHook hook) {
  Hook() = std::move(hook);
}

}  // namespace tarnwick
