#include <cstring>

#include "cli/cli_commands.h"
#include "core/config/config_keys.h"
#include "core/config/config_rules.h"
#include "core/config/majordomo_config.h"
#include "core/platform/text_codec.h"
#include "core/platform/whole_number.h"

namespace tarnwick::cli {
namespace {

// A value on one line: a backslash doubled, each CR LF written as backslash n.
std::string Escape(std::string_view text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      escaped += "\\\\";
    } else if (text.substr(i, 2) == "\r\n") {
      escaped += "\\n";
      ++i;
    } else {
      escaped += text[i];
    }
  }
  return escaped;
}

// The lines of a value written as `show` writes it; nothing for a stray backslash.
std::optional<std::vector<std::string>> UnescapeLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      lines.back() += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '\\') {
      lines.back() += '\\';
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == 'n') {
      lines.emplace_back();
      ++i;
    } else {
      return std::nullopt;
    }
  }
  return lines;
}

std::string Shown(const ConfigKey& key, const ConfigValue& value) {
  switch (key.kind) {
    case ConfigKind::YesNo:
      return value.yesNo == 0 ? "yes" : value.yesNo == 1 ? "no" : "";
    case ConfigKind::Number:
      return std::to_string(value.number);
    case ConfigKind::OptionalNumber:
      return value.useDefault ? "" : std::to_string(value.number);
    case ConfigKind::Text:
    case ConfigKind::Block:
      break;
  }
  return Escape(Cp932ToUtf8(value.text));
}

// Puts the typed value into the key's value, or says why it doesn't fit.
std::optional<std::string> Assign(const ConfigKey& key, std::string_view typed,
                                  ConfigValue& value) {
  const std::string unfit = "the value for " + std::string(key.name) + " doesn't fit: ";
  std::optional<std::vector<std::string>> lines = UnescapeLines(typed);
  if (!lines) return unfit + "a backslash must be followed by another or by n";
  if (key.kind == ConfigKind::Block) {
    if (lines->size() > 1 && lines->back().empty()) lines->pop_back();  // the final \n
    std::string block;
    for (const std::string& line : *lines)
      block += line + "\r\n";
    if (typed.empty()) block.clear();
    Failure failure;
    std::optional<std::string> cp932 = ArgumentToCp932(block, key.name, failure);
    if (!cp932) return failure.message;
    value.text = std::move(*cp932);
    return std::nullopt;
  }
  if (lines->size() != 1) return unfit + "it takes one line";
  const std::string& text = lines->front();
  switch (key.kind) {
    case ConfigKind::YesNo:
      if (text != "yes" && text != "no") return unfit + "it takes yes or no";
      value.yesNo = text == "yes" ? 0 : 1;
      return std::nullopt;
    case ConfigKind::OptionalNumber:
      value.useDefault = text.empty();
      if (text.empty()) return std::nullopt;
      [[fallthrough]];
    case ConfigKind::Number:
      if (const std::optional<std::int32_t> number = WholeNumber<std::int32_t>(text)) {
        value.number = *number;
        return std::nullopt;
      }
      return unfit + "it takes a whole number";
    default: {
      Failure failure;
      std::optional<std::string> cp932 = ArgumentToCp932(text, key.name, failure);
      if (!cp932) return failure.message;
      value.text = std::move(*cp932);
      return std::nullopt;
    }
  }
}

Outcome Show(const std::string& file, std::ostream& out) {
  MajordomoConfig config;
  if (!config.Load(file)) return Failure{"cannot read " + file, kFailed};
  for (std::size_t i = 0; i < kConfigKeys.size(); ++i) {
    if (!config.value(i).present) continue;
    out << kConfigKeys[i].name << '\t' << Shown(kConfigKeys[i], config.value(i)) << '\n';
  }
  return std::nullopt;
}

Outcome Set(const Args& args, std::ostream&) {
  if (args.size() < 4 || args.size() % 2 != 0) {
    return Failure{"config set takes a file and KEY VALUE pairs", kBadArguments};
  }
  MajordomoConfig config;
  if (!config.Load(args[1])) return Failure{"cannot read " + args[1], kFailed};
  for (std::size_t i = 2; i < args.size(); i += 2) {
    const std::optional<std::size_t> key = FindConfigKey(args[i]);
    if (!key) return Failure{"no such key: " + args[i], kBadArguments};
    if (!config.value(*key).present) {
      return Failure{args[i] + " is not in the file, and keys are never added", kBadArguments};
    }
    if (std::optional<std::string> unfit =
            Assign(kConfigKeys[*key], args[i + 1], config.value(*key))) {
      return Failure{*unfit, kBadArguments};
    }
    if (const Refusal refusal = CheckConfigValue(*key, config.value(*key)))
      return Failure{*refusal, kBadArguments};
  }
  int error = 0;
  if (config.Save(error) != ConfigSave::Saved) {
    return Failure{"cannot write " + args[1] + ": " + std::strerror(error), kFailed};
  }
  return std::nullopt;
}

}  // namespace

Outcome Config(const Args& args, std::ostream& out) {
  if (args.size() == 2 && args[0] == "show") return Show(args[1], out);
  if (!args.empty() && args[0] == "set") return Set(args, out);
  return Failure{"config takes: show FILE, or set FILE KEY VALUE [KEY VALUE]...", kBadArguments};
}

}  // namespace tarnwick::cli
