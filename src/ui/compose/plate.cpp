#include "ui/compose/plate.h"

#include "core/store/mailing_list_register.h"
#include "ui/platform/window_messages.h"

namespace tarnwick {

void CPlate::Create(QWidget* parent) {
  setParent(parent);
  BuildPlate();
}

ComposeResult CPlate::BuildMail(std::string& text) {
  text.clear();
  const std::optional<CommandInput> input = Input();
  if (list == nullptr || !input) return {ComposeStatus::NothingToQueue, {}};
  LoadPassword(*list);
  return tarnwick::BuildMail(command_, *list, *input, text);
}

void CPlate::AnalyzeFile(const QString&) {}

bool CPlate::event(QEvent* event) {
  if (event->type() != WM_ANALYZEADDRESS) return QWidget::event(event);
  AnalyzeFile(static_cast<AnalyzeAddressEvent*>(event)->path);
  return true;
}

}  // namespace tarnwick
