#include "ui/platform/modal.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/platform/file_dialogs.h"
#include "ui/platform/screen_fit.h"

namespace tarnwick {
namespace {

ModalHook& Hook() {
  static ModalHook hook;
  return hook;
}

// A message quoting much (thousands of pasted addresses, a long server answer) shows its first
// lines, each cut to a length a screen holds; the whole text waits behind 詳細, so the box and its
// buttons stay on the screen.
constexpr int kShownLines = 20;
constexpr int kShownLineLength = 100;

QString Shortened(const QString& text) {
  QStringList lines = text.split('\n');
  const bool more = lines.size() > kShownLines;
  if (more) lines = lines.mid(0, kShownLines);
  for (QString& line : lines) {
    if (line.size() > kShownLineLength) line = line.left(kShownLineLength) + QStringLiteral("…");
  }
  if (more) lines << QStringLiteral("… (全文は詳細に)");
  return lines.join('\n');
}

int RunMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                  const QString& text, QMessageBox::StandardButtons buttons,
                  const QString& go = QString(), const QString& stay = QStringLiteral("ｷｬﾝｾﾙ"),
                  const QString& details = QString()) {
  const QString shown = Shortened(text);
  QMessageBox box(icon, caption, shown, buttons, parent);
  // Scrolls inside the box, however many lines it holds.
  box.setDetailedText(shown == text ? details : text + (details.isEmpty() ? "" : "\n\n" + details));
  if (auto* cancel = qobject_cast<QPushButton*>(box.button(QMessageBox::Cancel))) {
    cancel->setText(stay);
    box.setDefaultButton(cancel);  // a question never goes ahead by a stray Enter
  }
  if (QAbstractButton* ok = box.button(QMessageBox::Ok); ok != nullptr && !go.isEmpty())
    ok->setText(go);
  return ExecModal(box);
}

}  // namespace

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

int ExecModal(QDialog& dialog) {
  FitToScreen(dialog);
  if (Hook()) return Hook()(dialog);
  return dialog.exec();
}

bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text) {
  return RunMessageBox(parent, QMessageBox::Question, caption, text,
                       QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text, const QString& go,
                 const QString& stay) {
  return RunMessageBox(parent, QMessageBox::Question, caption, text,
                       QMessageBox::Ok | QMessageBox::Cancel, go, stay) == QMessageBox::Ok;
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text) {
  RunMessageBox(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok);
}

void ShowReport(QWidget* parent, const QString& caption, const QString& text) {
  RunMessageBox(parent, QMessageBox::Information, caption, text, QMessageBox::Ok);
}

void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                 const QString& details) {
  RunMessageBox(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok, QString(),
                QStringLiteral("ｷｬﾝｾﾙ"), details);
}

QString AskOpenFileName(QWidget* parent, const QString& filter) {
  QFileDialog dialog(parent);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(filter);
  dialog.setOption(QFileDialog::ReadOnly);
  if (ExecFileDialog(dialog) != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QString AskFolderName(QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setOption(QFileDialog::ReadOnly);
  if (ExecFileDialog(dialog) != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

void SetModalHookForTesting(ModalHook hook) {
  Hook() = std::move(hook);
}

}  // namespace tarnwick
