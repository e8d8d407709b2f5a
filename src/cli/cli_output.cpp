#include "cli/cli_output.h"

namespace tarnwick::cli {

std::string LocalTime(std::time_t time, const char* format) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

std::string TabField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace tarnwick::cli
