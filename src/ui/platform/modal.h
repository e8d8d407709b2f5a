// Every modal dialog and message box of the program runs through here, so that a headless test
// can answer it in advance instead of blocking on it.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QDialogButtonBox;
class QWidget;

namespace tarnwick {

// The program's caption for its own message boxes.
inline const QString kProgramCaption = QStringLiteral("Tarnwick");

// Runs the dialog modally and returns its result (for a message box, the button pressed).
int ExecModal(QDialog& dialog);

// The "OK" and "ｷｬﾝｾﾙ" buttons of a dialog, wired to its accept and reject.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// Asks with OK and ｷｬﾝｾﾙ, ｷｬﾝｾﾙ the default; true for OK.
bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text);

// The same with the buttons named by what they do: OK goes ahead as `go` says, ｷｬﾝｾﾙ (the
// default) as `stay` says.
bool AskOkCancel(QWidget* parent, const QString& caption, const QString& text, const QString& go,
                 const QString& stay);

// Tells with an OK button and the warning icon: every message the program shows is a refusal
// or something that did not go as asked.
void ShowMessage(QWidget* parent, const QString& caption, const QString& text);
// Tells with an OK button and the information icon: the report of work that was asked for.
void ShowReport(QWidget* parent, const QString& caption, const QString& text);
// The same with lines of detail behind the box's 詳細 button (empty: none).
void ShowMessage(QWidget* parent, const QString& caption, const QString& text,
                 const QString& details);

// Asks for an existing file to open, in a file dialog showing the given filter (for example
// "全てのﾌｧｲﾙ (*)"). The empty text when the user cancels.
QString AskOpenFileName(QWidget* parent, const QString& filter);
// Asks for an existing folder; the empty text when the user cancels.
QString AskFolderName(QWidget* parent);

// Tests: while set, ExecModal hands each dialog to the hook instead of running it, and returns
// what the hook returns. An empty function restores normal running.
using ModalHook = std::function<int(QDialog&)>;
void SetModalHookForTesting(ModalHook hook);

}  // namespace tarnwick
