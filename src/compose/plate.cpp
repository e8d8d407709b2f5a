#include "compose/plate.h"

namespace tarnwick {

void CPlate::Create(QWidget* parent) {
  setParent(parent);
  BuildPanel();
}

ComposeStatus CPlate::BuildMail(std::string& text) {
  text.clear();
  if (list == nullptr) return ComposeStatus::NothingToQueue;
  return tarnwick::BuildMail(command_, *list, Input(), text);
}

void CPlate::AnalyzeFile(const QString&) {}

}  // namespace tarnwick
