// The 45 keys of a Majordomo list configuration this program edits, one table: how Majordomo
// reads each value, and what the configuration sheet shows for it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace tarnwick {

enum class ConfigKind { Text, YesNo, Number, OptionalNumber, Block };

// What Majordomo takes beyond the kind: one word, or blocks of regular expressions, or blocks
// of strings whose lines carry "-" escapes.
enum class ValueRule { Plain, OneWord, Patterns, DashEscaped };

struct Variable {
  const char* menuText;
  const char* inserted;
};

struct ConfigKey {
  std::string_view name;  // of a string literal, so its data() is NUL-terminated too
  ConfigKind kind;
  int page;  // of the sheet, 0 to 4
  ValueRule rule = ValueRule::Plain;
  // The values Majordomo knows for the key, letter case included; the sheet offers them as a
  // list. Empty for a free value.
  std::span<const char* const> choices = {};
  std::span<const Variable> variables = {};  // substitutions the sheet offers to insert
  const char* tip;                           // what the key does, for the label's tooltip
};

inline constexpr std::size_t kConfigKeyCount = 45;
inline constexpr int kSheetPages = 5;

// In alphabetical order, the order of the sheet's pages and rows too.
extern const std::array<ConfigKey, kConfigKeyCount> kConfigKeys;

// The index of the key of that name, or nothing.
std::optional<std::size_t> FindConfigKey(std::string_view name);

enum class RowControl { Line, Multi, YesNo, Number, NumberDefault, Choice };

// The control the sheet edits the key with.
RowControl SheetControl(const ConfigKey& key);

}  // namespace tarnwick
