#include "core/config/config_rules.h"

#include <algorithm>
#include <span>

#include "core/config/config_lines.h"
#include "core/platform/ascii.h"
#include "core/platform/text_codec.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

std::string Named(std::size_t key) {
  return "「" + std::string(kConfigKeys[key].name) + "」";
}

std::string Joined(std::span<const char* const> choices) {
  std::string joined;
  for (const char* choice : choices)
    joined += (joined.empty() ? "" : ", ") + std::string(choice);
  return joined;
}

// A perl match as Majordomo accepts one: /.../ or m followed by its delimiter, the same
// delimiter at the end, and only match flags after it.
bool IsPattern(std::string_view text) {
  if (text.starts_with('m') && text.size() > 1)
    text.remove_prefix(1);
  else if (!text.starts_with('/'))
    return false;
  const char delimiter = text.front();
  if (IsAsciiWordChar(delimiter) || kWhiteSpace.find(delimiter) != std::string_view::npos)
    return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == delimiter) {
      return text.find_first_not_of("gimosx", i + 1) == std::string_view::npos;
    }
  }
  return false;
}

Refusal CheckText(std::size_t key, std::string_view text) {
  const std::string name = Named(key);
  if (text.find('#') != std::string_view::npos) {
    return name + "の値に「#」は使えません\nMajordomoは「#」から後をｺﾒﾝﾄとして読み捨てます";
  }
  if (kConfigKeys[key].rule == ValueRule::OneWord &&
      Trim(text).find_first_of(kWhiteSpace) != std::string_view::npos) {
    return name + "の値に空白は使えません\nMajordomoはこの項目に1語しか受け付けません";
  }
  const std::span<const char* const> choices = kConfigKeys[key].choices;
  if (!choices.empty() && std::none_of(choices.begin(), choices.end(),
                                       [&](const char* choice) { return text == choice; })) {
    return name + "の値「" + Cp932ToUtf8(text) +
           "」はMajordomoが受け付けません\n使える値: " + Joined(choices) +
           " (大文字と小文字は区別されます)";
  }
  return std::nullopt;
}

Refusal CheckBlock(std::size_t key, std::string_view text) {
  for (const std::string& element : BlockElements(text)) {
    if (kConfigKeys[key].rule == ValueRule::Patterns && !IsPattern(Trim(element))) {
      return Named(key) + "の「" + Cp932ToUtf8(element) +
             "」はMajordomoが正規表現として受け付けません\n/example\\.jp$/ "
             "のように「/」で囲んでください";
    }
  }
  return std::nullopt;
}

}  // namespace

Refusal CheckConfigValue(std::size_t key, const ConfigValue& value) {
  const std::string_view text = value.text;
  if (text.find('\x01') != std::string_view::npos)
    return Named(key) + "の値にControl-Aは使えません";
  switch (kConfigKeys[key].kind) {
    case ConfigKind::Text:
      return CheckText(key, text);
    case ConfigKind::Block:
      return CheckBlock(key, text);
    case ConfigKind::OptionalNumber:
      if (value.useDefault) return std::nullopt;
      [[fallthrough]];
    case ConfigKind::Number:
      if (value.number < 1) return Named(key) + "には1以上の整数を入力してください";
      return std::nullopt;
    case ConfigKind::YesNo:
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace tarnwick
