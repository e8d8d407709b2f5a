#include "cli/cli.h"

#include <array>
#include <charconv>
#include <variant>

#include "cli/cli_args.h"
#include "platform/cp932_case.h"
#include "platform/text_codec.h"
#include "store/common_settings.h"
#include "store/mailing_list_register.h"

namespace tarnwick::cli {
namespace {

constexpr char kUsage[] =
    "usage:\n"
    "  tarnwick-cli list-add --title T --type majordomo|fml --name N --address A --admin M"
    " [--password P]\n"
    "  tarnwick-cli lists\n"
    "  tarnwick-cli settings [NAME VALUE]\n";

using Args = std::vector<std::string>;

std::string MailBoxFolder(const SettingsKey& root) {
  return ReadSetting(root.OpenKey(kCommonKey, false), kMailBox);
}

std::optional<std::int32_t> ParseServerKind(std::string_view text, Failure& failure) {
  if (EqualsCp932IgnoreCase(text, "majordomo")) return kMajordomo;
  if (EqualsCp932IgnoreCase(text, "fml")) return kFml;
  failure = {"--type must be majordomo or fml", 2};
  return std::nullopt;
}

struct ListOption {
  std::string_view name;
  std::string MailingList::*field;
  bool required;
};

constexpr std::array<ListOption, 5> kListOptions{{
    {"title", &MailingList::Title, true},
    {"name", &MailingList::Name, true},
    {"address", &MailingList::Address, true},
    {"admin", &MailingList::Admin, true},
    {"password", &MailingList::Password, false},
}};

// As 追加 followed by a save: the new list joins the stored register at its sorted place.
std::optional<Failure> ListAdd(const Args& args, const SettingsStore& store) {
  Failure failure;
  const auto options =
      Options::Parse(args, {"title", "type", "name", "address", "admin", "password"}, failure);
  if (!options) return failure;
  auto list = std::make_unique<MailingList>();
  const std::optional<std::string> type = options->Required("type", failure);
  const std::optional<std::int32_t> kind = type ? ParseServerKind(*type, failure) : std::nullopt;
  if (!kind) return failure;
  list->Type = *kind;
  for (const ListOption& option : kListOptions) {
    std::optional<std::string> value = option.required ? options->Required(option.name, failure)
                                                       : options->Optional(option.name, failure);
    if (!value) return failure;
    (*list).*option.field = std::move(*value);
  }
  MailingListRegister lists = LoadRegister(store, MailBoxFolder(store.OpenRoot()));
  lists.Insert(std::move(list));
  if (!SaveRegister(store, lists)) return Failure{"could not save the register", 1};
  return std::nullopt;
}

std::optional<Failure> Lists(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (!args.empty()) return Failure{"lists takes no arguments", 2};
  const MailingListRegister lists = LoadRegister(store, MailBoxFolder(store.OpenRoot()));
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const MailingList& list = lists.at(i);
    out << Cp932ToUtf8(list.Title) << '\t' << ServerKindName(list.Type) << '\t'
        << Cp932ToUtf8(list.Name) << '\t' << Cp932ToUtf8(list.Address) << '\t'
        << Cp932ToUtf8(list.Admin) << '\t' << list.MailCount << '\n';
  }
  return std::nullopt;
}

void PrintSettings(const SettingsKey& common, std::ostream& out) {
  for (const CommonSetting& setting : kCommonSettings) {
    std::visit(
        [&](const auto& s) {
          const auto value = ReadSetting(common, s);
          if constexpr (std::is_same_v<decltype(value), const std::string>) {
            out << s.name << '\t' << Cp932ToUtf8(value) << '\n';
          } else {
            out << s.name << '\t' << value << '\n';
          }
        },
        setting);
  }
}

std::optional<std::uint32_t> ParseNumber(std::string_view text, Failure& failure) {
  std::uint32_t number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
    failure = {"a number must be a decimal number from 0 to 4294967295: " + std::string(text), 2};
    return std::nullopt;
  }
  return number;
}

std::optional<Failure> WriteSetting(const SettingsKey& common, const CommonSetting& setting,
                                    std::string_view value) {
  Failure failure;
  bool written = false;
  if (const auto* text = std::get_if<TextSetting>(&setting)) {
    const std::optional<std::string> cp932 = ArgumentToCp932(value, text->name, failure);
    if (!cp932) return failure;
    written = common.WriteText(text->name, *cp932);
  } else {
    const auto& number = std::get<NumberSetting>(setting);
    const std::optional<std::uint32_t> parsed = ParseNumber(value, failure);
    if (!parsed) return failure;
    written = common.WriteNumber(number.name, *parsed);
  }
  if (!written) return Failure{"could not write the setting", 1};
  return std::nullopt;
}

std::optional<Failure> Settings(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (args.empty()) {
    PrintSettings(store.OpenRoot().OpenKey(kCommonKey, false), out);
    return std::nullopt;
  }
  if (args.size() != 2) return Failure{"settings takes no arguments, or NAME VALUE", 2};
  const CommonSetting* setting = FindCommonSetting(args[0]);
  if (setting == nullptr) return Failure{"no such setting: " + args[0], 2};
  return WriteSetting(store.OpenRoot().CreateKey(kCommonKey), *setting, args[1]);
}

std::optional<Failure> Dispatch(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (args.empty()) return Failure{"no command given", 2};
  const Args rest(args.begin() + 1, args.end());
  if (!store.OpenRoot().HasHandle()) {
    return Failure{"cannot open the settings store " + store.file().string(), 1};
  }
  if (args[0] == "list-add") return ListAdd(rest, store);
  if (args[0] == "lists") return Lists(rest, store, out);
  if (args[0] == "settings") return Settings(rest, store, out);
  return Failure{"unknown command: " + args[0], 2};
}

}  // namespace

int Run(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return 0;
  }
  const std::optional<Failure> failure = Dispatch(args, store, out);
  if (!failure) return 0;
  err << "tarnwick-cli: " << failure->message << '\n';
  if (failure->status == 2) err << kUsage;
  return failure->status;
}

}  // namespace tarnwick::cli
