#include "cli/cli_args.h"

#include <algorithm>

#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {

std::optional<Options> Options::Parse(const Args& args, std::span<const OptionRule> rules,
                                      Failure& failure) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      options.positional_.push_back(arg);
      continue;
    }
    const std::string name = arg.substr(2);
    const auto rule = std::find_if(rules.begin(), rules.end(),
                                   [&](const OptionRule& s) { return s.name == name; });
    if (rule == rules.end()) {
      failure = {"unknown option: " + arg, kBadArguments};
      return std::nullopt;
    }
    std::vector<std::string>& values = options.values_[name];
    if (rule->kind != OptionKind::Repeated && !values.empty()) {
      failure = {arg + " given twice", kBadArguments};
      return std::nullopt;
    }
    if (rule->kind == OptionKind::Flag) {
      values.emplace_back();
      continue;
    }
    if (++i >= args.size()) {
      failure = {"missing value for " + arg, kBadArguments};
      return std::nullopt;
    }
    values.push_back(args[i]);
  }
  return options;
}

std::optional<std::string> Options::Required(std::string_view name, Failure& failure) const {
  const auto found = values_.find(name);
  if (found == values_.end()) {
    failure = {"missing --" + std::string(name), kBadArguments};
    return std::nullopt;
  }
  return ArgumentToCp932(found->second.front(), "--" + std::string(name), failure);
}

std::optional<std::string> Options::Optional(std::string_view name, Failure& failure) const {
  if (!Has(name)) return std::string();
  return Required(name, failure);
}

std::optional<std::vector<std::string>> Options::All(std::string_view name,
                                                     Failure& failure) const {
  std::vector<std::string> converted;
  const auto found = values_.find(name);
  if (found == values_.end()) return converted;
  for (const std::string& value : found->second) {
    std::optional<std::string> text = ArgumentToCp932(value, "--" + std::string(name), failure);
    if (!text) return std::nullopt;
    converted.push_back(std::move(*text));
  }
  return converted;
}

std::string Options::Raw(std::string_view name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? std::string() : found->second.front();
}

std::optional<std::string> ArgumentToCp932(std::string_view utf8, std::string_view what,
                                           Failure& failure) {
  Cp932Encoding encoded = Utf8ToCp932(utf8);
  if (encoded.ok) return std::move(encoded.text);
  const std::string problem = !encoded.offending.empty() ? "the character \"" + encoded.offending +
                                                               "\", which Shift_JIS can't hold"
                                                         : "a byte that is not UTF-8";
  failure = {std::string(what) + " holds " + problem, kBadArguments};
  return std::nullopt;
}

std::optional<std::uint32_t> ParseNumber(std::string_view text, std::string_view what,
                                         Failure& failure) {
  const std::optional<std::uint32_t> number = ParseUnsignedNumber(text);
  if (!number) {
    failure = {std::string(what) + " must be a decimal number from 0 to 4294967295, not \"" +
                   std::string(text) + "\"",
               kBadArguments};
  }
  return number;
}

}  // namespace tarnwick::cli
