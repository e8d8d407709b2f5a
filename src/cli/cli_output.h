// How tarnwick-cli prints: tab-separated fields, local times.
#pragma once

#include <ctime>
#include <string>

namespace tarnwick::cli {

// A time of this machine's zone in strftime's format.
std::string LocalTime(std::time_t time, const char* format);

// A field of a tab-separated line: its own tabs and line breaks become spaces.
std::string TabField(std::string text);

}  // namespace tarnwick::cli
