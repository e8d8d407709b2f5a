#include <variant>

#include "cli/cli_commands.h"
#include "platform/text_codec.h"
#include "store/common_settings.h"

namespace tarnwick::cli {
namespace {

void PrintSettings(const SettingsKey& common, std::ostream& out) {
  for (const CommonSetting& setting : kCommonSettings) {
    std::visit(
        [&](const auto& s) {
          const auto value = ReadSetting(common, s);
          if constexpr (std::is_same_v<decltype(value), const std::string>) {
            // A password is said to be there, never shown.
            const bool secret = s.name == kSmtpPassword.name && !value.empty();
            out << s.name << '\t' << (secret ? "********" : Cp932ToUtf8(value)) << '\n';
          } else {
            out << s.name << '\t' << value << '\n';
          }
        },
        setting);
  }
}

Outcome WriteSetting(const SettingsKey& common, const CommonSetting& setting,
                     std::string_view value) {
  Failure failure;
  bool written = false;
  if (const auto* text = std::get_if<TextSetting>(&setting)) {
    const std::optional<std::string> cp932 = ArgumentToCp932(value, text->name, failure);
    if (!cp932) return failure;
    written = common.WriteText(text->name, *cp932);
  } else {
    const auto& number = std::get<NumberSetting>(setting);
    const std::optional<std::uint32_t> parsed = ParseUnsignedNumber(value);
    if (const Refusal refusal = CheckNumberSetting(number, parsed))
      return Failure{*refusal, kBadArguments};
    written = common.WriteNumber(number.name, *parsed);
  }
  if (!written) return Failure{"could not write the setting", kFailed};
  return std::nullopt;
}

}  // namespace

Outcome Settings(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (args.empty()) {
    PrintSettings(ReadCommon(store), out);
    return std::nullopt;
  }
  if (args.size() != 2) return Failure{"settings takes no arguments, or NAME VALUE", kBadArguments};
  const CommonSetting* setting = FindCommonSetting(args[0]);
  if (setting == nullptr) return Failure{"no such setting: " + args[0], kBadArguments};
  return WriteSetting(store.OpenRoot().CreateKey(kCommonKey), *setting, args[1]);
}

}  // namespace tarnwick::cli
