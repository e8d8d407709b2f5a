// Times as this machine's zone shows them.
#pragma once

#include <ctime>
#include <string>

namespace tarnwick {

// The time in strftime's format, in the local zone ("%Y-%m-%d %H:%M").
std::string FormatLocalTime(std::time_t time, const char* format);

}  // namespace tarnwick
