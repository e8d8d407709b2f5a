// Every file dialog of the program opens in the folder the last one was left in, remembered in
// the settings store between runs, so a file beside the one read before is a click away.
#pragma once

class QFileDialog;

namespace tarnwick {

class SettingsStore;

// Where the folder is remembered: the main window's store, given as the window opens. Until
// then (a dialog tested alone) the dialogs open where Qt puts them and remember nothing.
void RememberFoldersIn(const SettingsStore& store);

// Runs the dialog (through ExecModal) in the last folder, unless its caller chose where it
// opens, and remembers the folder it was accepted in. The dialog's result.
int ExecFileDialog(QFileDialog& dialog);

}  // namespace tarnwick
