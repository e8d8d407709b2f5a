// Running a helper program (found on PATH) and taking its output, bounded in time and size.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick {

struct ProgramRun {
  bool started = false;   // false: the program is not installed (or could not be started)
  bool finished = false;  // false: it ran past the timeout and was stopped
  int exitCode = -1;
  std::string output;  // standard output, at most the bound given
};

// Starts the program (the first argument, found on PATH) and does not wait for it: its process
// id, or nothing when it could not be started.
std::optional<pid_t> StartProgram(const std::vector<std::string>& arguments);

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, std::size_t maxOutput = 1 << 20);

}  // namespace tarnwick
