// Splitting a command line into a program and its arguments by the rules Windows programs use,
// so the outside mailers' command-line forms keep their meaning: `"prog" /F="a b"` gives the
// program and the one argument `/F=a b`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace tarnwick
