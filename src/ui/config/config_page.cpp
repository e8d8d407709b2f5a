#include "ui/config/config_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

#include "core/config/config_rules.h"
#include "ui/platform/modal.h"
#include "ui/platform/number_field.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

constexpr int kSpinMax = 9999;

QString KeyName(const ConfigKey& key) {
  return QString::fromUtf8(key.name.data(), static_cast<qsizetype>(key.name.size()));
}

QWidget* YesNoPair(QButtonGroup* group, const QString& key, const QString& tip) {
  auto* pair = new QWidget;
  auto* layout = new QHBoxLayout(pair);
  layout->setContentsMargins(0, 0, 0, 0);
  for (const char* text : {"yes", "no"}) {
    auto* button = new QRadioButton(QString::fromUtf8(text));
    button->setObjectName(key + "_" + text);
    button->setToolTip(tip);
    group->addButton(button, group->buttons().size());
    layout->addWidget(button);
  }
  layout->addStretch();
  return pair;
}

}  // namespace

CConfigPage::CConfigPage(int page, MajordomoConfig& record) : record_(record) {
  auto* grid = new QGridLayout(this);
  for (std::size_t key = 0; key < kConfigKeys.size(); ++key) {
    if (kConfigKeys[key].page == page) rows_.push_back(Row{&kConfigKeys[key], key});
  }
  int line = 0;
  for (Row& row : rows_) {
    const QString key = KeyName(*row.entry);
    auto* label = new QLabel(key);
    label->setToolTip(QString::fromUtf8(row.entry->tip));
    QWidget* control = BuildControl(row);
    // A label sits level with a one-line control, and at the top of a text box.
    grid->addWidget(label, line, 0, row.multi ? Qt::AlignTop : Qt::AlignVCenter);
    grid->addWidget(control, line, 1);
    if (row.multi) grid->setRowStretch(line, 1);
    if (!row.entry->variables.empty()) grid->addWidget(VariableButton(row), line, 2, Qt::AlignTop);
    Load(row);
    control->setEnabled(record_.value(row.key).present);  // labels stay enabled
    ++line;
  }
  // Room to spare goes to the text boxes, or below the last row: rows start at the top.
  const bool anyMulti =
      std::any_of(rows_.begin(), rows_.end(), [](const Row& r) { return r.multi; });
  if (!anyMulti) grid->setRowStretch(line, 1);
  grid->setColumnStretch(1, 1);
}

// Each control tells what its key does, as the key's label does.
QWidget* CConfigPage::BuildControl(Row& row) {
  const QString key = KeyName(*row.entry);
  const QString tip = QString::fromUtf8(row.entry->tip);
  switch (SheetControl(*row.entry)) {
    case RowControl::Line:
      row.line = new QLineEdit;
      row.line->setObjectName(key);
      row.line->setToolTip(tip);
      return row.line;
    case RowControl::Multi:
      row.multi = new QPlainTextEdit;
      row.multi->setObjectName(key);
      row.multi->setToolTip(tip);
      row.multi->setLineWrapMode(QPlainTextEdit::NoWrap);
      row.multi->setMinimumHeight(60);
      return row.multi;
    case RowControl::YesNo:
      row.yesNo = new QButtonGroup(this);
      return YesNoPair(row.yesNo, key, tip);
    case RowControl::Choice:
      row.choice = new QComboBox;
      row.choice->setObjectName(key);
      row.choice->setToolTip(tip);
      for (const char* choice : row.entry->choices)
        row.choice->addItem(QString::fromUtf8(choice));
      return row.choice;
    case RowControl::Number:
    case RowControl::NumberDefault:
      break;
  }
  row.number = new NumberField(0, kSpinMax, row.entry->name.data());
  row.number->setToolTip(tip);
  if (row.entry->kind == ConfigKind::Number) return row.number;
  auto* withDefault = new QWidget;
  auto* layout = new QHBoxLayout(withDefault);
  layout->setContentsMargins(0, 0, 0, 0);
  row.useDefault = new QCheckBox(QStringLiteral("Default"));
  row.useDefault->setObjectName(key + "_default");
  row.useDefault->setToolTip(QStringLiteral("ﾁｪｯｸすると値を空にし、Majordomo の既定値を使います"));
  // A ticked Default leaves the number out: its field has nothing to take.
  NumberField* number = row.number;
  connect(row.useDefault, &QCheckBox::toggled, number,
          [number](bool useDefault) { number->setEnabled(!useDefault); });
  layout->addWidget(row.number);
  layout->addWidget(row.useDefault);
  return withDefault;
}

QWidget* CConfigPage::VariableButton(Row& row) {
  auto* button = new QToolButton;
  button->setObjectName(KeyName(*row.entry) + "_variables");
  button->setArrowType(Qt::RightArrow);
  button->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(button);
  for (const Variable& variable : row.entry->variables) {
    const QString text = QString::fromUtf8(variable.inserted);
    menu->addAction(QString::fromUtf8(variable.menuText), this,
                    [this, &row, text] { Insert(row, text); });
  }
  button->setMenu(menu);
  return button;
}

void CConfigPage::Load(Row& row) {
  const ConfigValue& value = record_.value(row.key);
  if (row.line) row.line->setText(FromCp932(value.text));
  if (row.multi) row.multi->setPlainText(FromCp932(value.text).replace("\r\n", "\n"));
  if (row.yesNo) {
    for (QAbstractButton* button : row.yesNo->buttons()) {
      button->setChecked(row.yesNo->id(button) == value.yesNo);
    }
  }
  if (row.number) row.number->edit()->setText(QString::number(value.number));
  if (row.useDefault) {
    row.useDefault->setChecked(value.useDefault);
    row.number->setEnabled(!value.useDefault);
  }
  if (row.choice) {
    // The first entry that the stored text begins, letter case ignored; none when none does.
    row.choice->setCurrentIndex(-1);
    const QString stored = FromCp932(value.text);
    for (int i = 0; i < row.choice->count(); ++i) {
      if (row.choice->itemText(i).startsWith(stored, Qt::CaseInsensitive)) {
        row.choice->setCurrentIndex(i);
        break;
      }
    }
    // A value that begins no entry is shown as it stands, as one more entry, and kept.
    if (row.choice->currentIndex() < 0 && !stored.isEmpty()) {
      row.choice->addItem(stored);
      row.choice->setCurrentIndex(row.choice->count() - 1);
    }
  }
}

bool CConfigPage::Store(Row& row) {
  ConfigValue& value = record_.value(row.key);
  if (row.useDefault) value.useDefault = row.useDefault->isChecked();
  if (row.number && !value.useDefault) {
    bool ok = false;
    const int number = row.number->edit()->text().trimmed().toInt(&ok);
    if (!ok) {
      ShowMessage(this, kProgramCaption, QStringLiteral("整数を入力してください。"));
      row.number->edit()->setFocus();
      return false;
    }
    value.number = number;
  }
  if (row.line || row.multi) {
    QWidget* field = row.line ? static_cast<QWidget*>(row.line) : row.multi;
    const QString text =
        row.line ? row.line->text() : row.multi->toPlainText().replace("\n", "\r\n");
    std::optional<std::string> cp932 = TypedCp932(*field, text);
    if (!cp932) return false;
    value.text = std::move(*cp932);
  }
  if (row.yesNo) value.yesNo = row.yesNo->checkedId();
  if (row.choice && row.choice->currentIndex() >= 0) {
    value.text = ToCp932(row.choice->currentText()).value_or(value.text);
  }
  return true;
}

// Only keys the file carries are written, so only they are checked.
bool CConfigPage::Check(Row& row) {
  if (!record_.value(row.key).present) return true;
  const Refusal refusal = CheckConfigValue(row.key, record_.value(row.key));
  if (!refusal) return true;
  ShowMessage(this, kProgramCaption, QString::fromStdString(*refusal));
  for (QWidget* control : {static_cast<QWidget*>(row.line), static_cast<QWidget*>(row.multi),
                           static_cast<QWidget*>(row.choice),
                           row.number ? static_cast<QWidget*>(row.number->edit()) : nullptr}) {
    if (control != nullptr) control->setFocus();
  }
  return false;
}

bool CConfigPage::Store() {
  for (Row& row : rows_) {
    if (!Store(row) || !Check(row)) return false;
  }
  return true;
}

void CConfigPage::Insert(Row& row, const QString& text) {
  // Straight into the field, over its selection or at its caret: what the user copied stays.
  if (row.line) row.line->insert(text);
  if (row.multi) row.multi->insertPlainText(text);
  Store(row);
}

}  // namespace tarnwick
