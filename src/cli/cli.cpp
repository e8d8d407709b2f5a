#include "cli/cli.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <sstream>

#include "cli/command_table.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {
namespace {

Outcome Dispatch(const Args& args, const SettingsStore& store, std::ostream& out,
                 std::ostream& err) {
  if (args.empty()) return Failure{"no command given", kBadArguments};
  const std::string& command = args[0];
  const Args rest(args.begin() + 1, args.end());
  const CliCommand* row = FindCliCommand(command);
  // An unknown command is told only once the store opens, as the commands that need one are.
  if ((row == nullptr || row->needsStore) && !store.Opens()) {
    return Failure{"cannot open the settings store " + store.file().string(), kFailed};
  }
  if (row != nullptr) return row->handler(rest, store, out, err);
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
