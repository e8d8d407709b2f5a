#include "compose/form_plate.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/named_widgets.h"
#include "platform/qt_text.h"

namespace tarnwick {

void CFormPlate::BuildPanel() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QString::fromUtf8(form_.description)));
  if (form_.note != nullptr) layout->addWidget(new QLabel(QString::fromUtf8(form_.note)));
  auto* fields = new QFormLayout;
  for (const FieldSpec& field : form_.fields) {
    QLineEdit* edit = NamedEdit(field.objectName);
    fields->addRow(QString::fromUtf8(field.label), edit);
    edits_.push_back(edit);
  }
  layout->addLayout(fields);
  if (form_.choice.title != nullptr) {
    auto* box = new QGroupBox(QString::fromUtf8(form_.choice.title));
    auto* buttons = new QHBoxLayout(box);
    choice_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < form_.choice.options.size(); ++i) {
      auto* button = new QRadioButton(QString::fromUtf8(form_.choice.options[i]));
      button->setObjectName(QStringLiteral("choice%1").arg(i));
      button->setChecked(i == 0);
      choice_->addButton(button, static_cast<int>(i));
      buttons->addWidget(button);
    }
    layout->addWidget(box);
  }
  layout->addStretch();
}

std::optional<CommandInput> CFormPlate::Input() {
  CommandInput input;
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    std::optional<std::string> text = TypedCp932(*edits_[i]);
    if (!text) return std::nullopt;
    input.*form_.fields[i].input = std::move(*text);
  }
  if (choice_ != nullptr) input.choice = choice_->checkedId();
  return input;
}

}  // namespace tarnwick
