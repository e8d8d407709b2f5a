#include "ui/main/windows_import_flow.h"

#include <QFileDialog>

#include "core/migrate/reg_file.h"
#include "core/migrate/windows_import.h"
#include "core/platform/file_bytes.h"
#include "ui/platform/file_dialogs.h"
#include "ui/platform/modal.h"

namespace tarnwick {

bool ImportWindowsSettings(QWidget* parent, const SettingsStore& store,
                           const std::function<void()>& reload) {
  QFileDialog chooser(parent, QStringLiteral("Windowsの設定を取り込む"));
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setNameFilters(
      {QStringLiteral("ﾚｼﾞｽﾄﾘの書き出し (*.reg)"), QStringLiteral("全てのﾌｧｲﾙ (*)")});
  if (ExecFileDialog(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
    return false;
  const FileBytes file =
      ReadRegularFile(chooser.selectedFiles().first().toStdString(), kMaxRegFileBytes);
  if (file.status != FileBytes::Read) {
    ShowMessage(parent, kProgramCaption, QStringLiteral("ﾌｧｲﾙを読めません"));
    return false;
  }
  ImportReport report = ImportRegFile(store, file.bytes, false);
  if (report.failure.empty() && !report.kept.empty() &&
      AskOkCancel(parent, kProgramCaption,
                  QStringLiteral("同じ名前のMLが%1件登録されています。取り込むMLで置き換えますか?")
                      .arg(report.kept.size()))) {
    report = ImportRegFile(store, file.bytes, true);
  }
  reload();
  ShowMessage(parent, kProgramCaption, QString::fromStdString(ImportSummary(report)));
  return true;
}

}  // namespace tarnwick
