// A plate whose panel is a short form laid out from a table: a description, fields (text, files
// with 参照 and 編集, numbers with arrows) and at most one choice of radio buttons, which may
// enable some fields only for one of its options.
#pragma once

#include <string>
#include <vector>

#include "compose/plate.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace tarnwick {

enum class FieldKind {
  Text,
  File,        // a local file: 参照 picks it
  ViewedFile,  // a local file: 参照 picks it, 編集 opens it with the desktop
  ConfigFile,  // a configuration file: 参照 picks it, 編集 opens the configuration editor
  Count,       // an unsigned count with arrows (1 to 32767); goes into CommandInput::count
  Article,     // an article number with arrows (0 to 32767); any typed text goes as it is
};

struct FieldSpec {
  const char* label;
  const char* objectName;
  std::string CommandInput::*input = nullptr;  // where the typed text goes (not for Count)
  FieldKind kind = FieldKind::Text;
  int onlyForOption = -1;                          // enabled only while this option is chosen
  std::string MailingList::*remembered = nullptr;  // the list's last path for this field
  const char* unit = nullptr;                      // a word after the field ("行")
};

FieldSpec Field(const char* label, const char* objectName, std::string CommandInput::*input);

struct ChoiceSpec {
  const char* title = nullptr;       // the frame around the buttons; nullptr for no frame
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

  void StoreRememberedPaths() override;

 protected:
  std::optional<CommandInput> Input() override;
  void BuildPanel() override;

 private:
  struct FieldWidgets {
    const FieldSpec* definition;
    QLineEdit* edit;
    std::vector<QWidget*> followers;  // enabled with the edit: its label, arrows, 参照, unit
    QPushButton* open = nullptr;      // 編集
  };

  QWidget* BuildField(FieldWidgets& field);
  void OnChoice();
  void UpdateEnables(bool afterChoice);
  void OpenFile(const FieldWidgets& field);

  const FormSpec& form_;
  std::vector<FieldWidgets> fields_;
  QButtonGroup* choice_ = nullptr;
};

}  // namespace tarnwick
