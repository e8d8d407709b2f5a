#include "ui/platform/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <optional>

#include "core/store/window_state.h"
#include "ui/platform/modal.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

std::optional<SettingsStore>& Store() {
  static std::optional<SettingsStore> store;
  return store;
}

// The folder of what was chosen: a chosen folder itself, else the file's.
QString FolderOf(const QFileDialog& dialog) {
  const QString chosen = dialog.selectedFiles().value(0);
  if (chosen.isEmpty()) return dialog.directory().absolutePath();
  const QFileInfo info(chosen);
  return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

}  // namespace

void RememberFoldersIn(const SettingsStore& store) {
  Store() = store;
}

int ExecFileDialog(QFileDialog& dialog) {
  // A dialog still on the working folder was not sent anywhere by its caller.
  const bool unplaced = dialog.directory().absolutePath() == QDir::currentPath();
  if (Store() && unplaced) {
    const QString last = FromCp932(ReadLastFolder(*Store()));
    if (!last.isEmpty() && QFileInfo(last).isDir()) dialog.setDirectory(last);
  }
  const int result = ExecModal(dialog);
  if (Store() && result == QDialog::Accepted) {
    if (const std::optional<std::string> folder = ToCp932(FolderOf(dialog)))
      RememberLastFolder(*Store(), *folder);
  }
  return result;
}

}  // namespace tarnwick
