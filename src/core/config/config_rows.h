// What the configuration sheet shows for each of the 45 keys: its page, its control, and the
// choices or substitution variables it offers.
#pragma once

#include <vector>

namespace tarnwick {

enum class RowControl { Line, Multi, YesNo, Number, NumberDefault, Choice };

struct Variable {
  const char* menuText;
  const char* inserted;
};

struct SheetRow {
  int page;  // 0 to 4
  const char* key;
  RowControl control;
  std::vector<const char*> choices;
  std::vector<Variable> variables;
  const char* tip;  // what the key does, for the label's tooltip
};

inline constexpr int kSheetPages = 5;

// In the order of the pages' rows.
const std::vector<SheetRow>& SheetRows();

}  // namespace tarnwick
