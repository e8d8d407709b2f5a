#include <algorithm>
#include <array>

#include "cli/cli_commands.h"
#include "core/analyze/address_extraction.h"
#include "core/compose/address_list.h"
#include "core/compose/command_mail.h"
#include "core/compose/command_names.h"
#include "core/compose/mail_queue.h"
#include "core/compose/queue_folder.h"
#include "core/compose/queue_reader.h"
#include "core/compose/queue_writer.h"
#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick::cli {
namespace {

using Names = std::vector<std::string_view>;

void AddRule(std::vector<OptionRule>& rules, std::string_view name, OptionKind kind) {
  if (std::none_of(rules.begin(), rules.end(),
                   [&](const OptionRule& rule) { return rule.name == name; })) {
    rules.push_back({name, kind});
  }
}

Outcome CheckInputs(const CommandInfo& command, const Options& options) {
  const Names allowed = CliInputs(command);
  for (const OptionRule& rule : ComposeOptions()) {
    if (!options.Has(rule.name) || rule.name == "stdout") continue;
    if (std::find(allowed.begin(), allowed.end(), rule.name) == allowed.end()) {
      return Failure{std::string(command.name) + " does not take --" + std::string(rule.name),
                     kBadArguments};
    }
  }
  return std::nullopt;
}

// --keyword names one of the choice's options by its text.
std::optional<int> KeywordChoice(const CommandInfo& command, const std::string& keyword,
                                 Failure& failure) {
  const std::vector<const char*>& options = command.choice.options;
  std::string known;
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (keyword == options[i]) return static_cast<int>(i);
    known += (i == 0 ? "" : i + 1 == options.size() ? " or " : ", ") + std::string(options[i]);
  }
  failure = {"--keyword must be " + known, kBadArguments};
  return std::nullopt;
}

bool FillAddresses(const CommandInfo& command, const Options& options, CommandInput& input,
                   Failure& failure) {
  if (!options.Has("address")) return true;
  std::optional<std::vector<std::string>> addresses = options.All("address", failure);
  if (!addresses) return false;
  if (command.addressList) {
    AddressList sorted;
    for (std::string& address : *addresses)
      sorted.Add(std::move(address));
    input.addresses = sorted.entries();
  } else if (addresses->size() > 1) {
    failure = {std::string(command.name) + " takes one --address", kBadArguments};
    return false;
  } else {
    input.address = std::move(addresses->front());
  }
  return true;
}

std::optional<CommandInput> ReadInput(const CommandInfo& command, const Options& options,
                                      Failure& failure) {
  CommandInput input;
  if (!FillAddresses(command, options, input, failure)) return std::nullopt;
  for (const FieldRow& field : command.fields) {
    if (field.input == nullptr || field.cliOption == "address") continue;
    std::optional<std::string> value = options.Optional(field.cliOption, failure);
    if (!value) return std::nullopt;
    input.*field.input = std::move(*value);
  }
  if (options.Has("keyword")) {
    const std::optional<int> choice = KeywordChoice(command, options.Raw("keyword"), failure);
    if (!choice) return std::nullopt;
    input.choice = *choice;
  }
  if (!command.choice.cliFlag.empty() && options.Has(command.choice.cliFlag)) input.choice = 1;
  if (options.Has("count")) {
    const std::optional<std::uint32_t> count =
        ParseNumber(options.Raw("count"), "--count", failure);
    if (!count) return std::nullopt;
    input.count = *count;
  }
  return input;
}

Outcome ComposeFailure(const ComposeResult& result, const CommandInfo& command,
                       const MailingList& list) {
  const std::string name(command.name);
  switch (result.status) {
    case ComposeStatus::NothingToQueue:
      return Failure{name + " composes nothing without its input (" +
                         (command.addressList ? "an --address" : "--old and --new") + ")",
                     kBadArguments};
    case ComposeStatus::NotOffered:
      return Failure{name + " is not a command for " +
                         (list.Type == ServerKind::Majordomo || list.Type == ServerKind::Fml
                              ? std::string(ServerKindName(list.Type)) + " lists"
                              : "a list without a server kind"),
                     kFailed};
    case ComposeStatus::Refused:
      return Failure{result.reason, kBadArguments};
    case ComposeStatus::Composed:
      break;
  }
  return std::nullopt;
}

}  // namespace

MailingList* FindList(MailingListRegister& lists, const std::string& utf8Title, Failure& failure) {
  const std::optional<std::string> title = ArgumentToCp932(utf8Title, "the title", failure);
  if (!title) return nullptr;
  MailingList* list = lists.FindByTitle(*title);
  if (list == nullptr) failure = {"no list is titled \"" + utf8Title + "\"", kFailed};
  return list;
}

const std::vector<OptionRule>& ComposeOptions() {
  static const std::vector<OptionRule> rules = [] {
    std::vector<OptionRule> all{{"address", OptionKind::Repeated}, {"keyword", OptionKind::Value}};
    for (const CommandInfo& command : Commands()) {
      for (const FieldRow& field : command.fields)
        AddRule(all, field.cliOption, OptionKind::Value);
      if (!command.choice.cliFlag.empty()) AddRule(all, command.choice.cliFlag, OptionKind::Flag);
    }
    AddRule(all, "stdout", OptionKind::Flag);
    return all;
  }();
  return rules;
}

Outcome Compose(const Args& args, const SettingsStore& store, std::ostream& out) {
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, ComposeOptions(), failure);
  if (!options) return failure;
  if (options->positional().size() != 2) {
    return Failure{"compose takes a list title and a command", kBadArguments};
  }
  const CommandInfo* command = FindCommand(options->positional()[1]);
  if (command == nullptr) {
    return Failure{"unknown command: " + options->positional()[1], kBadArguments};
  }
  if (Outcome wrong = CheckInputs(*command, *options)) return wrong;
  const std::optional<CommandInput> input = ReadInput(*command, *options, failure);
  if (!input) return failure;

  const std::string mailBox = ReadMailBox(store);
  MailingListRegister lists = LoadRegister(store);
  MailingList* list = FindList(lists, options->positional()[0], failure);
  if (list == nullptr) return failure;
  LoadPassword(*list);
  std::string mail;
  const ComposeResult composed = BuildMail(command->id, *list, *input, mail);
  if (composed.status != ComposeStatus::Composed) return ComposeFailure(composed, *command, *list);
  if (options->Has("stdout")) {
    out << mail;
    return std::nullopt;
  }
  const ListFolders folders = FoldersOf(lists, *list);
  const QueueOutcome queued = MailQueue(mailBox).Add(folders, mail);
  if (queued.status != QueueStatus::Queued) {
    const std::string folder = ListQueueFolder(mailBox, folders.newMails).value_or("");
    return Failure{DescribeQueueFailure(queued, folder), kFailed};
  }
  out << Cp932ToUtf8(queued.path) << '\n';
  return std::nullopt;
}

Outcome Extract(const Args& args, std::ostream& out) {
  constexpr std::array<OptionRule, 1> kOptions{{{"sender", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().size() != 1) {
    return Failure{"extract takes one mail file", kBadArguments};
  }
  const ExtractionMode mode =
      options->Has("sender") ? ExtractionMode::Sender : ExtractionMode::Returned;
  AddressList addresses;
  for (std::string& address : ExtractAddresses(options->positional()[0], mode)) {
    addresses.Add(std::move(address));
  }
  if (addresses.empty()) return Failure{"ｱﾄﾞﾚｽの抽出に失敗しました", kFailed};
  for (const std::string& address : addresses.entries())
    out << Cp932ToUtf8(address) << '\n';
  return std::nullopt;
}

Outcome Queue(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (args.size() != 1) return Failure{"queue takes a list title", kBadArguments};
  Failure failure;
  const std::string mailBox = ReadMailBox(store);
  MailingListRegister lists = LoadRegister(store);  // only this list's folders are looked at
  const MailingList* list = FindList(lists, args[0], failure);
  if (list == nullptr) return failure;
  for (const QueueEntry& entry : MailQueue(mailBox).List(FoldersOf(lists, *list))) {
    out << Cp932ToUtf8(entry.fileName) << '\t' << CommandTitleText(entry.title) << '\n';
  }
  return std::nullopt;
}

}  // namespace tarnwick::cli
