// The mails queued in a list's folder, for the window tests that queue member mails.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarnwick::testing {

// The texts of the RXV*.tmp files in the folder, in no particular order.
inline std::vector<std::string> QueuedMails(const std::filesystem::path& folder) {
  std::vector<std::string> mails;
  if (!std::filesystem::is_directory(folder)) return mails;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") mails.push_back(ReadFile(entry.path()));
  }
  return mails;
}

}  // namespace tarnwick::testing
