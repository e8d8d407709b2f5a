// tarnwick-cli: the program's core driven from a shell, on the same store and queue as the
// desktop program. Arguments and output are UTF-8; the store holds CP932.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "core/store/settings_store.h"

namespace tarnwick::cli {

// Runs one command (args exclude the program name). Returns the exit status: 0 on success,
// 1 when the command failed, 2 for bad arguments. A password given as "-" is read from `in`
// (asked for without echo when `in` is the terminal), so that it never shows in the process list.
int Run(const std::vector<std::string>& args, const SettingsStore& store, std::istream& in,
        std::ostream& out, std::ostream& err);
// The same with nothing to read.
int Run(const std::vector<std::string>& args, const SettingsStore& store, std::ostream& out,
        std::ostream& err);

}  // namespace tarnwick::cli
