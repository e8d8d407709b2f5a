#include <variant>

#include "cli/cli_commands.h"
#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {
namespace {

void PrintSettings(const CommonSettings& settings, std::ostream& out) {
  for (const CommonSetting& setting : kCommonSettings) {
    if (const auto* text = std::get_if<TextSetting>(&setting)) {
      const std::string& value = settings.Text(*text);
      // A password is said to be there, never shown.
      const bool secret = IsPasswordSetting(text->name) && !value.empty();
      out << text->name << '\t' << (secret ? "********" : Cp932ToUtf8(value)) << '\n';
    } else {
      const auto& number = std::get<NumberSetting>(setting);
      out << number.name << '\t' << settings.Number(number) << '\n';
    }
  }
}

// The typed value into the settings: CP932 text, or a number the setting takes.
Outcome Assign(CommonSettings& settings, const CommonSetting& setting, std::string_view value) {
  Failure failure;
  if (const auto* text = std::get_if<TextSetting>(&setting)) {
    std::optional<std::string> cp932 = ArgumentToCp932(value, text->name, failure);
    if (!cp932) return failure;
    settings.Set(*text, std::move(*cp932));
    return std::nullopt;
  }
  const auto& number = std::get<NumberSetting>(setting);
  const std::optional<std::uint32_t> parsed = ParseUnsignedNumber(value);
  if (const Refusal refusal = CheckNumberSetting(number, parsed))
    return Failure{*refusal, kBadArguments};
  settings.Set(number, *parsed);
  return std::nullopt;
}

}  // namespace

Outcome Settings(const Args& args, const SettingsStore& store, std::ostream& out) {
  CommonSettings settings = CommonSettings::Load(store);
  if (args.empty()) {
    PrintSettings(settings, out);
    return std::nullopt;
  }
  if (args.size() != 2) return Failure{"settings takes no arguments, or NAME VALUE", kBadArguments};
  const CommonSetting* setting = FindCommonSetting(args[0]);
  if (setting == nullptr) return Failure{"no such setting: " + args[0], kBadArguments};
  if (Outcome failure = Assign(settings, *setting, args[1])) return failure;
  if (const Refusal refusal = settings.Validate()) return Failure{*refusal, kBadArguments};
  if (!settings.Save(store)) return Failure{"could not write the settings", kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
