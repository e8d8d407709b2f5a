#include <array>

#include "cli/cli_commands.h"
#include "core/compose/list_folders.h"
#include "core/compose/queue_folder.h"
#include "core/compose/value_rules.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick::cli {
namespace {

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

constexpr std::array<OptionRule, 7> kListAddOptions{{
    {"title", OptionKind::Value},
    {"type", OptionKind::Value},
    {"name", OptionKind::Value},
    {"address", OptionKind::Value},
    {"admin", OptionKind::Value},
    {"password", OptionKind::Value},
    {"max-commands", OptionKind::Value},
}};

std::optional<ServerKind> ParseServerKind(std::string_view text, Failure& failure) {
  if (EqualsCp932IgnoreCase(text, "majordomo")) return ServerKind::Majordomo;
  if (EqualsCp932IgnoreCase(text, "fml")) return ServerKind::Fml;
  failure = {"--type must be majordomo or fml", kBadArguments};
  return std::nullopt;
}

}  // namespace

// As 追加: the new list joins the stored register, which shows it at its sorted place.
Outcome ListAdd(const Args& args, const SettingsStore& store, std::ostream& err) {
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kListAddOptions, failure);
  if (!options) return failure;
  if (!options->positional().empty()) {
    return Failure{"unexpected argument: " + options->positional().front(), kBadArguments};
  }
  auto list = std::make_unique<MailingList>();
  const std::optional<std::string> type = options->Required("type", failure);
  const std::optional<ServerKind> kind = type ? ParseServerKind(*type, failure) : std::nullopt;
  if (!kind) return failure;
  list->Type = *kind;
  for (const ListOption& option : kListOptions) {
    std::optional<std::string> value = option.required ? options->Required(option.name, failure)
                                                       : options->Optional(option.name, failure);
    if (!value) return failure;
    (*list).*option.field = std::move(*value);
  }
  if (options->Has("max-commands")) {
    const std::optional<std::uint32_t> limit =
        ParseNumber(options->Raw("max-commands"), "--max-commands", failure);
    if (!limit) return failure;
    list->MaxCommands = *limit;
  }
  if (const std::optional<ListDetailsProblem> problem = CheckListDetails(*list)) {
    return Failure{problem->reason, kBadArguments};
  }
  if (const Refusal warning = CheckListPassword(*list)) err << "tarnwick-cli: " << *warning << '\n';
  // Only this list's folders are counted; the others are counted whenever the register is read.
  list->MailCount = CountQueuedMails(ReadMailBox(store), FoldersOf(LoadRegister(store), *list));
  if (std::optional<std::string> failure = AddToRegister(store, *list))
    return Failure{std::move(*failure), kFailed};
  return std::nullopt;
}

Outcome Lists(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (!args.empty()) return Failure{"lists takes no arguments", kBadArguments};
  MailingListRegister lists = LoadRegister(store);
  CountQueuedMails(ReadMailBox(store), lists);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const MailingList& list = lists.at(i);
    out << Cp932ToUtf8(list.Title) << '\t' << ServerKindName(list.Type) << '\t'
        << Cp932ToUtf8(list.Name) << '\t' << Cp932ToUtf8(list.Address) << '\t'
        << Cp932ToUtf8(list.Admin) << '\t' << list.MailCount << '\n';
  }
  return std::nullopt;
}

}  // namespace tarnwick::cli
