#include "cli/cli.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <sstream>

#include "cli/cli_commands.h"
#include "core/compose/command_catalogue.h"
#include "core/store/common_settings.h"

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

// The commands and inputs of compose come from the command catalogue.
std::string Usage() {
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
  return "usage:\n"
         "  tarnwick-cli list-add --title T --type majordomo|fml --name N --address A --admin M"
         " [--password P|-]\n"
         "  tarnwick-cli lists\n"
         "  tarnwick-cli settings [NAME VALUE]\n"
         "  tarnwick-cli compose TITLE COMMAND [inputs] [--stdout]\n" +
         Wrapped(commands, "      COMMAND: ") + Wrapped(inputs, "      inputs:  ") +
         "  tarnwick-cli extract [--sender] FILE\n"
         "  tarnwick-cli bounces [--min-days N] [--all] [--list TITLE] MAILBOX|imap:[FOLDER]...\n"
         "  tarnwick-cli queue TITLE\n"
         "  tarnwick-cli send\n"
         "  tarnwick-cli fetch\n"
         "  tarnwick-cli results [TITLE]\n"
         "  tarnwick-cli members TITLE [--csv]\n"
         "  tarnwick-cli import-reg [--replace] FILE.reg\n"
         "  tarnwick-cli config show FILE\n"
         "  tarnwick-cli config set FILE KEY VALUE [KEY VALUE]...\n"
         "A password given as - (--password -, settings SMTPPassword -, settings IncomingPassword\n"
         "-) is read from standard input, or asked for without echo on a terminal: it then never\n"
         "shows in the process list.\n";
}

Outcome Dispatch(const Args& args, const SettingsStore& store, std::ostream& out,
                 std::ostream& err) {
  if (args.empty()) return Failure{"no command given", kBadArguments};
  const std::string& command = args[0];
  const Args rest(args.begin() + 1, args.end());
  if (command == "extract") return Extract(rest, out);              // these need no store
  if (command == "bounces") return Bounces(rest, store, out, err);  // the store if it opens
  if (command == "config") return Config(rest, out);
  if (!store.Opens()) {
    return Failure{"cannot open the settings store " + store.file().string(), kFailed};
  }
  if (command == "list-add") return ListAdd(rest, store, err);
  if (command == "lists") return Lists(rest, store, out);
  if (command == "settings") return Settings(rest, store, out);
  if (command == "compose") return Compose(rest, store, out);
  if (command == "queue") return Queue(rest, store, out);
  if (command == "send") return Send(rest, store, out);
  if (command == "fetch") return Fetch(rest, store, out);
  if (command == "import-reg") return ImportReg(rest, store, out, err);
  if (command == "results") return Results(rest, store, out);
  if (command == "members") return Members(rest, store, out, err);
  return Failure{"unknown command: " + command, kBadArguments};
}

// One line of `in` without its line end; a terminal is asked for it without echo.
std::optional<std::string> ReadSecret(std::istream& in, std::ostream& err) {
  const bool terminal = &in == &std::cin && isatty(STDIN_FILENO) == 1;
  termios saved{};
  const bool quiet = terminal && tcgetattr(STDIN_FILENO, &saved) == 0;
  if (quiet) {
    termios noEcho = saved;
    noEcho.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &noEcho);
    err << "Password: " << std::flush;
  }
  std::string line;
  const bool read = static_cast<bool>(std::getline(in, line));
  if (quiet) {
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    err << '\n';
  }
  if (!read) return std::nullopt;
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

// The arguments with each password given as "-" read in its place.
std::optional<Args> WithSecrets(Args args, std::istream& in, std::ostream& err) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    const bool option = args[i] == "--password";
    const bool setting = i == 1 && args[0] == "settings" && IsPasswordSetting(args[1]);
    if (!(option || setting) || args[i + 1] != "-") continue;
    std::optional<std::string> secret = ReadSecret(in, err);
    if (!secret) return std::nullopt;
    args[i + 1] = std::move(*secret);
  }
  return args;
}

}  // namespace

int Run(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err) {
  std::istringstream nothing;
  return Run(args, store, nothing, out, err);
}

int Run(const Args& given, const SettingsStore& store, std::istream& in, std::ostream& out,
        std::ostream& err) {
  if (given.size() == 1 && (given[0] == "--help" || given[0] == "-h")) {
    out << Usage();
    return 0;
  }
  const std::optional<Args> args = WithSecrets(given, in, err);
  const Outcome failure = args ? Dispatch(*args, store, out, err)
                               : Failure{"no password on standard input", kBadArguments};
  if (!failure) return 0;
  err << "tarnwick-cli: " << failure->message << '\n';
  if (failure->status == kBadArguments) err << Usage();
  return failure->status;
}

}  // namespace tarnwick::cli
