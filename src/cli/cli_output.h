// How tarnwick-cli prints tab-separated fields.
#pragma once

#include <string>

namespace tarnwick::cli {

// A field of a tab-separated line: its own tabs and line breaks become spaces.
std::string TabField(std::string text);

}  // namespace tarnwick::cli
