// The commands of tarnwick-cli, one row each: the usage text and the dispatch are made from this
// table, and the bash completion and the man page in packaging/ are checked against it.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"

namespace tarnwick::cli {

using CommandHandler = Outcome (*)(const Args& args, const SettingsStore& store, std::ostream& out,
                                   std::ostream& err);
// Lines the usage shows under the command's forms.
using UsageDetails = std::string (*)();

struct CliCommand {
  std::string_view name;
  // The arguments of each form the command takes, as the usage shows them after its name.
  std::vector<std::string_view> forms;
  // What it does, as the man page's entry for it begins (UTF-8, man's escapes undone).
  std::string_view help;
  // Whether it fails when the settings store does not open; the others run without one.
  bool needsStore;
  CommandHandler handler;
  UsageDetails details = nullptr;
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& CliCommands();

// The command of that name, or nullptr.
const CliCommand* FindCliCommand(std::string_view name);

// The usage text: a line per form of each command, and the words compose takes.
std::string Usage();

}  // namespace tarnwick::cli
