// Running a helper program (found on PATH) and taking its output, bounded in time and size.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

struct ProgramRun {
  bool started = false;   // false: the program is not installed (or could not be started)
  bool finished = false;  // false: it ran past the timeout and was stopped
  int exitCode = -1;
  std::string output;  // standard output, at most the bound given
};

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, std::size_t maxOutput = 1 << 20);

}  // namespace tarnwick
