// A plate whose face is a short form laid out from its command's row: a description, fields
// (text, files with 参照 and 編集, numbers with arrows) and at most one choice of radio buttons,
// which may enable some fields only for one of its options.
#pragma once

#include <vector>

#include "ui/compose/plate.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace tarnwick {

class CFormPlate : public CPlate {
 public:
  explicit CFormPlate(const CommandInfo& command) : CPlate(command.id), form_(command) {}

  void StoreRememberedPaths() override;

 protected:
  std::optional<CommandInput> Input() override;
  void BuildPlate() override;

 private:
  struct FieldWidgets {
    const FieldRow* definition;
    QLineEdit* edit;
    std::vector<QWidget*> followers;  // enabled with the edit: its label, arrows, 参照, unit
    QPushButton* open = nullptr;      // 編集
  };

  QWidget* BuildField(FieldWidgets& field);
  void OnChoice();
  void UpdateEnables(bool afterChoice);
  void OpenFile(const FieldWidgets& field);

  const CommandInfo& form_;  // its description, fields and choice
  std::vector<FieldWidgets> fields_;
  QButtonGroup* choice_ = nullptr;
};

}  // namespace tarnwick
