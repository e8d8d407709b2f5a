// What reaches the main window from outside: the request it was started with, a file dropped on
// it, and the extraction another program posts to it.
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>

#include "core/compose/start_request.h"
#include "ui/main/command_tree.h"
#include "ui/main/main_dialog.h"
#include "ui/main/register_model.h"
#include "ui/platform/qt_text.h"
#include "ui/platform/window_messages.h"

namespace tarnwick {

bool CMainDialog::event(QEvent* event) {
  if (event->type() == WM_ANALYZEADDRESS) {
    if (CurrentPlate() != nullptr) {
      const auto* analyze = static_cast<AnalyzeAddressEvent*>(event);
      QCoreApplication::postEvent(CurrentPlate(), new AnalyzeAddressEvent(analyze->path));
    }
    return true;
  }
  if (event->type() == QEvent::WindowActivate) ReloadListsChangedElsewhere();
  return QMainWindow::event(event);
}

void CMainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptDrops() && CurrentPlate() != nullptr && event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void CMainDialog::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!acceptDrops() || CurrentPlate() == nullptr || urls.isEmpty() || !urls.first().isLocalFile())
    return;
  event->acceptProposedAction();
  raise();
  activateWindow();
  CurrentPlate()->AnalyzeFile(urls.first().toLocalFile());  // the other files are ignored
}

void CMainDialog::ApplyStartRequest(const QStringList& arguments) {
  std::vector<std::string> words;
  for (const QString& argument : arguments)
    words.push_back(argument.toStdString());
  const std::optional<StartRequest> request = ParseStartRequest(words);
  if (!request) return;
  const std::optional<std::string> title = ToCp932(QString::fromStdString(request->title));
  const MailingList* list = title ? model_->lists().FindByTitle(*title) : nullptr;
  if (list == nullptr) return;
  Select(model_->RowOf(*list));
  if (!request->command) return;
  if (QTreeWidgetItem* item = FindCommandItem(*commandTree_, *request->command))
    commandTree_->setCurrentItem(item);
  // Posted behind the plate's command, so it reaches the plate once the plate exists.
  if (!request->file.empty()) {
    QCoreApplication::postEvent(this,
                                new AnalyzeAddressEvent(QString::fromStdString(request->file)));
  }
}

}  // namespace tarnwick
