// A plate whose panel is a short form: a description, text fields and at most one choice of
// radio buttons, laid out from a table.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "compose/plate.h"

class QButtonGroup;
class QLineEdit;

namespace tarnwick {

struct FieldSpec {
  const char* label;
  const char* objectName;
  std::string CommandInput::*input;  // where the typed text goes
};

struct ChoiceSpec {
  const char* title;                 // the frame around the buttons; nullptr for no choice
  std::vector<const char*> options;  // button texts; the first is chosen when the panel opens
};

struct FormSpec {
  const char* description;
  const char* note;  // a second line of text, or nullptr
  std::vector<FieldSpec> fields;
  ChoiceSpec choice;
};

class CFormPlate : public CPlate {
 public:
  CFormPlate(CommandId command, const FormSpec& form) : CPlate(command), form_(form) {}

 protected:
  std::optional<CommandInput> Input() override;
  void BuildPanel() override;

 private:
  const FormSpec& form_;
  std::vector<QLineEdit*> edits_;
  QButtonGroup* choice_ = nullptr;
};

}  // namespace tarnwick
