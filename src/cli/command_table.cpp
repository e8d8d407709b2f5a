#include "cli/command_table.h"

#include <algorithm>

#include "core/compose/command_catalogue.h"

namespace tarnwick::cli {
namespace {

// Words joined by blanks, wrapped into lines that start with `indent`.
std::string Wrapped(const std::vector<std::string>& words, const std::string& indent) {
  constexpr std::size_t kWidth = 96;
  std::string text;
  std::string line = indent;
  for (const std::string& word : words) {
    if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
      text += line + "\n";
      line = std::string(indent.size(), ' ');
    }
    if (line.size() > indent.size()) line += ' ';
    line += word;
  }
  return text + line + "\n";
}

// The commands and inputs of compose, as the command catalogue gives them.
std::string ComposeWords() {
  std::vector<std::string> commands;
  for (const CommandInfo& command : Commands())
    commands.emplace_back(command.name);
  std::vector<std::string> inputs;
  for (const OptionRule& rule : ComposeOptions()) {
    if (rule.name == "stdout") continue;
    std::string input = "--" + std::string(rule.name);
    if (rule.kind != OptionKind::Flag) input += " VALUE";
    if (rule.kind == OptionKind::Repeated) input += " (repeatable)";
    inputs.push_back(input);
  }
  return Wrapped(commands, "      COMMAND: ") + Wrapped(inputs, "      inputs:  ");
}

using In = const Args&;
using Store = const SettingsStore&;
using Out = std::ostream&;

const std::vector<CliCommand> kCommands{
    {"list-add",
     {"--title T --type majordomo|fml --name N --address A --admin M [--password P|-] "
      "[--max-commands N]"},
     "Registers a list.",
     true,
     [](In a, Store s, Out, Out err) { return ListAdd(a, s, err); }},
    {"lists",
     {""},
     "One line per list: title, kind, list name, server, administrator, queued mails.",
     true,
     [](In a, Store s, Out out, Out) { return Lists(a, s, out); }},
    {"settings",
     {"[NAME VALUE]"},
     "Prints every common setting, or sets one.",
     true,
     [](In a, Store s, Out out, Out) { return Settings(a, s, out); }},
    {"compose",
     {"TITLE COMMAND [inputs] [--stdout]"},
     "Composes the command mail and queues it (or prints it).",
     true,
     [](In a, Store s, Out out, Out) { return Compose(a, s, out); },
     ComposeWords},
    {"extract",
     {"[--sender] FILE"},
     "The failed recipients a returned mail names (or its sender).",
     false,
     [](In a, Store, Out out, Out) { return Extract(a, out); }},
    // The store when it opens: --list reads the register, a mailbox needs none.
    {"bounces",
     {"[--min-days N] [--all] [--list TITLE]... [--queue] MAILBOX|imap:[FOLDER]..."},
     "Tallies the returned mails of whole mailboxes",
     false,
     [](In a, Store s, Out out, Out err) { return Bounces(a, s, out, err); }},
    {"queue",
     {"TITLE"},
     "The list's queued mails: file name and the command's Japanese name.",
     true,
     [](In a, Store s, Out out, Out) { return Queue(a, s, out); }},
    {"send",
     {""},
     "Delivers the whole queue; Ctrl+C stops after the mail in flight.",
     true,
     [](In a, Store s, Out out, Out) { return Send(a, s, out); }},
    {"fetch",
     {""},
     "Reads the new mails of the IMAP folder set by the Incoming settings and keeps the servers' "
     "replies",
     true,
     [](In a, Store s, Out out, Out) { return Fetch(a, s, out); }},
    {"results",
     {"[TITLE]"},
     "One line per sent mail, tab separated",
     true,
     [](In a, Store s, Out out, Out) { return Results(a, s, out); }},
    {"held",
     {"[TITLE] [--all]"},
     "One line per held post or request, tab separated",
     true,
     [](In a, Store s, Out out, Out) { return Held(a, s, out); }},
    {"approve",
     {"ID..."},
     "Queues the approval of held items as each server takes it; prints each item's queued file",
     true,
     [](In a, Store s, Out out, Out err) {
       return AnswerHeld(HeldAnswer::Approve, a, s, out, err);
     }},
    {"reject",
     {"ID... [--reason TEXT]"},
     "Queues a notice to each poster that the held post was rejected; nothing goes to the server",
     true,
     [](In a, Store s, Out out, Out err) {
       return AnswerHeld(HeldAnswer::Reject, a, s, out, err);
     }},
    {"discard",
     {"ID..."},
     "Marks held items discarded; nothing is sent",
     true,
     [](In a, Store s, Out out, Out err) {
       return AnswerHeld(HeldAnswer::Discard, a, s, out, err);
     }},
    {"members",
     {"TITLE [--csv]"},
     "The list's latest roster, one address a line; its date on standard error.",
     true,
     [](In a, Store s, Out out, Out err) { return Members(a, s, out, err); }},
    {"find",
     {"PATTERN..."},
     "The members an address or a pattern with * matches on every list",
     true,
     [](In a, Store s, Out out, Out err) { return Find(a, s, out, err); }},
    {"remove",
     {"ADDRESS... [--dry-run] [--unknown-too]"},
     "Queues one unsubscribe mail for each list whose latest roster holds any of the addresses",
     true,
     [](In a, Store s, Out out, Out err) { return Remove(a, s, out, err); }},
    {"sync",
     {"TITLE FILE [--dry-run] [--yes]"},
     "Makes the list's members those of FILE",
     true,
     [](In a, Store s, Out out, Out err) { return Sync(a, s, out, err); }},
    {"import-reg",
     {"[--replace] FILE.reg"},
     "Takes in a regedit export of the Windows settings key",
     true,
     [](In a, Store s, Out out, Out err) { return ImportReg(a, s, out, err); }},
    {"config",
     {"show FILE", "set FILE KEY VALUE [KEY VALUE]..."},
     "Reads or changes a Majordomo configuration file in place.",
     false,
     [](In a, Store, Out out, Out) { return Config(a, out); }},
};

}  // namespace

const std::vector<CliCommand>& CliCommands() {
  return kCommands;
}

const CliCommand* FindCliCommand(std::string_view name) {
  const std::vector<CliCommand>& table = CliCommands();
  const auto found = std::find_if(table.begin(), table.end(), [name](const CliCommand& command) {
    return command.name == name;
  });
  return found == table.end() ? nullptr : &*found;
}

std::string Usage() {
  std::string usage = "usage:\n";
  for (const CliCommand& command : CliCommands()) {
    for (const std::string_view form : command.forms) {
      usage += "  tarnwick-cli " + std::string(command.name);
      if (!form.empty()) usage += " " + std::string(form);
      usage += "\n";
    }
    if (command.details != nullptr) usage += command.details();
  }
  return usage +
         "A password given as - (--password -, settings SMTPPassword -, settings IncomingPassword\n"
         "-) is read from standard input, or asked for without echo on a terminal: it then never\n"
         "shows in the process list.\n";
}

}  // namespace tarnwick::cli
