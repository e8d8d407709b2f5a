// tarnwick-cli: the program's core driven from a shell, on the same store and queue as the
// desktop program. Arguments and output are UTF-8; the store holds CP932.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "store/settings_store.h"

namespace tarnwick::cli {

// Runs one command (args exclude the program name). Returns the exit status: 0 on success,
// 1 when the command failed, 2 for bad arguments.
int Run(const std::vector<std::string>& args, const SettingsStore& store, std::ostream& out,
        std::ostream& err);

}  // namespace tarnwick::cli
