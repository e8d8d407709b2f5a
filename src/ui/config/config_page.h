// One page of the configuration sheet: a label and a control per key, enabled only for keys the
// file carries, copied from the record when the page is first shown and back when it is left.
#pragma once

#include <QWidget>
#include <vector>

#include "core/config/config_keys.h"
#include "core/config/majordomo_config.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace tarnwick {

class NumberField;

class CConfigPage : public QWidget {
 public:
  CConfigPage(int page, MajordomoConfig& record);

  // Copies the controls into the record; false (after saying so) when a number field holds no
  // integer or a key of the file holds a value Majordomo would reject. That control then has
  // the focus.
  bool Store();

 private:
  struct Row {
    const ConfigKey* entry;
    std::size_t key;
    QLineEdit* line = nullptr;
    QPlainTextEdit* multi = nullptr;
    QButtonGroup* yesNo = nullptr;
    NumberField* number = nullptr;
    QCheckBox* useDefault = nullptr;
    QComboBox* choice = nullptr;
  };

  QWidget* BuildControl(Row& row);
  QWidget* VariableButton(Row& row);
  void Load(Row& row);
  bool Store(Row& row);
  bool Check(Row& row);
  void Insert(Row& row, const QString& text);

  MajordomoConfig& record_;
  std::vector<Row> rows_;
};

}  // namespace tarnwick
