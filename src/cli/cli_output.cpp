#include "cli/cli_output.h"

namespace tarnwick::cli {

std::string TabField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace tarnwick::cli
