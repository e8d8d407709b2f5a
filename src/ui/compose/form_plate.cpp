#include "ui/compose/form_plate.h"

#include <QButtonGroup>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/store/common_settings.h"
#include "ui/config/config_sheet.h"
#include "ui/platform/desktop.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/number_field.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

constexpr int kArrowMax = 32767;

bool IsFile(FieldKind kind) {
  return kind == FieldKind::File || kind == FieldKind::ViewedFile || kind == FieldKind::ConfigFile;
}

// What the field takes, in a word, for its tool tip.
QString FieldTip(const FieldRow& field) {
  switch (field.kind) {
    case FieldKind::Secret:
      return QStringLiteral("新しいﾊﾟｽﾜｰﾄﾞ。｢表示｣で入力した文字を確かめられます");
    case FieldKind::File:
      return QStringLiteral("ﾌｧｲﾙ。｢参照｣で選べます");
    case FieldKind::ViewedFile:
      return QStringLiteral("送るﾌｧｲﾙ。｢参照｣で選び、｢編集｣で開きます");
    case FieldKind::ConfigFile:
      return QStringLiteral("Configﾌｧｲﾙ。｢参照｣で選び、｢編集｣で設定を直せます");
    case FieldKind::Count:
      return QStringLiteral("取り寄せる行数 (1〜32767)");
    case FieldKind::Article:
      return QStringLiteral("記事の番号");
    case FieldKind::Text:
      break;
  }
  return QStringLiteral("%1。ｺﾏﾝﾄﾞﾒｰﾙにそのまま書かれます").arg(QString::fromUtf8(field.label));
}

}  // namespace

void CFormPlate::StoreRememberedPaths() {
  if (list == nullptr) return;
  for (const FieldWidgets& field : fields_) {
    if (field.definition->remembered == nullptr) continue;
    // A path Shift_JIS can't hold is said, naming its character; the list keeps its last one.
    if (std::optional<std::string> path = TypedCp932(*field.edit)) {
      (*list).*field.definition->remembered = std::move(*path);
    }
  }
}

QWidget* CFormPlate::BuildField(FieldWidgets& field) {
  const FieldRow& definition = *field.definition;
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  if (definition.kind == FieldKind::Count || definition.kind == FieldKind::Article) {
    auto* number = new NumberField(definition.kind == FieldKind::Count ? 1 : 0, kArrowMax,
                                   definition.objectName);
    field.edit = number->edit();
    field.followers.push_back(number);
    layout->addWidget(number);
  } else {
    field.edit = NamedEdit(definition.objectName);
    field.followers.push_back(field.edit);
    layout->addWidget(field.edit, 1);
  }
  if (definition.kind == FieldKind::Secret) {
    field.edit->setEchoMode(QLineEdit::Password);
    QPushButton* show = NamedButton(QStringLiteral("表示"), "showButton");
    show->setCheckable(true);
    QLineEdit* edit = field.edit;
    connect(show, &QPushButton::toggled, edit, [edit](bool shown) {
      edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    field.followers.push_back(show);
    layout->addWidget(show);
  }
  field.edit->setToolTip(FieldTip(definition));
  if (definition.kind == FieldKind::Count) field.edit->setText(QStringLiteral("10"));
  if (definition.remembered != nullptr && list != nullptr) {
    field.edit->setText(FromCp932((*list).*definition.remembered));
  }
  if (IsFile(definition.kind)) {
    QPushButton* browse = NamedButton(QStringLiteral("参照"), "browseButton");
    connect(browse, &QPushButton::clicked, this, [this, &field] {
      const QString path = AskOpenFileName(this, QStringLiteral("全てのﾌｧｲﾙ (*)"));
      if (!path.isEmpty()) field.edit->setText(path);
    });
    field.followers.push_back(browse);
    layout->addWidget(browse);
  }
  if (definition.kind == FieldKind::ViewedFile || definition.kind == FieldKind::ConfigFile) {
    field.open = NamedButton(QStringLiteral("編集"), "openButton");
    connect(field.open, &QPushButton::clicked, this, [this, &field] { OpenFile(field); });
    layout->addWidget(field.open);
  }
  if (definition.unit != nullptr) {
    auto* unit = new QLabel(QString::fromUtf8(definition.unit));
    field.followers.push_back(unit);
    layout->addWidget(unit);
  }
  if (definition.kind == FieldKind::Count || definition.kind == FieldKind::Article)
    layout->addStretch();
  return row;
}

void CFormPlate::BuildPlate() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QString::fromUtf8(form_.description)));
  if (form_.note != nullptr) layout->addWidget(new QLabel(QString::fromUtf8(form_.note)));
  if (!form_.choice.options.empty()) {
    QWidget* box =
        form_.choice.title ? new QGroupBox(QString::fromUtf8(form_.choice.title)) : new QWidget;
    auto* buttons = new QHBoxLayout(box);
    choice_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < form_.choice.options.size(); ++i) {
      auto* button = new QRadioButton(QString::fromUtf8(form_.choice.options[i]));
      button->setObjectName(QStringLiteral("choice%1").arg(i));
      button->setChecked(i == 0);
      choice_->addButton(button, static_cast<int>(i));
      buttons->addWidget(button);
    }
    connect(choice_, &QButtonGroup::idClicked, this, &CFormPlate::OnChoice);
    layout->addWidget(box);
  }
  auto* grid = new QGridLayout;
  fields_.reserve(form_.fields.size());
  for (const FieldRow& definition : form_.fields) {
    FieldWidgets& field = fields_.emplace_back(FieldWidgets{&definition, nullptr, {}});
    auto* label = new QLabel(QString::fromUtf8(definition.label));
    const int row = static_cast<int>(fields_.size()) - 1;
    grid->addWidget(label, row, 0);
    grid->addWidget(BuildField(field), row, 1);
    field.followers.push_back(label);
  }
  layout->addLayout(grid);
  layout->addStretch();
  UpdateEnables(false);
}

// Fields tied to an option are enabled only while it is chosen; an 編集 button is enabled when
// the plate opens and follows its field once an option has been clicked.
void CFormPlate::UpdateEnables(bool afterChoice) {
  const int chosen = choice_ != nullptr ? choice_->checkedId() : -1;
  for (FieldWidgets& field : fields_) {
    const bool enabled =
        field.definition->onlyForOption < 0 || field.definition->onlyForOption == chosen;
    for (QWidget* follower : field.followers)
      follower->setEnabled(enabled);
    if (field.open != nullptr) field.open->setEnabled(!afterChoice || enabled);
  }
}

void CFormPlate::OnChoice() {
  UpdateEnables(true);
  Input();  // a click copies the controls, and so says when a count is no number
}

void CFormPlate::OpenFile(const FieldWidgets& field) {
  if (field.definition->kind == FieldKind::ConfigFile) {
    if (list != nullptr) EditConfigFile(list->Type, field.edit->text(), this);
  } else {
    OpenWithDesktop(field.edit->text(), this);
  }
}

std::optional<CommandInput> CFormPlate::Input() {
  CommandInput input;
  for (const FieldWidgets& field : fields_) {
    if (field.definition->kind == FieldKind::Count) {
      const std::optional<std::uint32_t> count =
          ParseUnsignedNumber(field.edit->text().toStdString());
      if (!count) {
        ShowMessage(this, kProgramCaption, QStringLiteral("正の整数を入力してください。"));
        field.edit->setFocus();
        return std::nullopt;
      }
      input.count = *count;
      continue;
    }
    std::optional<std::string> text = TypedCp932(*field.edit);
    if (!text) return std::nullopt;
    input.*field.definition->input = std::move(*text);
  }
  if (choice_ != nullptr) input.choice = choice_->checkedId();
  return input;
}

}  // namespace tarnwick
