#include "core/platform/local_time.h"

namespace tarnwick {

std::string FormatLocalTime(std::time_t time, const char* format) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

}  // namespace tarnwick
