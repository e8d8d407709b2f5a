// Moving over from Windows: the program's settings key exported with regedit, read and taken into
// the store. The key is found by its layout ("Common" and "MLPropertys" below it), whatever its
// path; nothing is written unless the whole file was understood.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/store/settings_store.h"

namespace tarnwick {

struct ImportReport {
  std::vector<std::string> imported;    // the titles of the lists taken in (UTF-8)
  std::vector<std::string> kept;        // lists with a title the register has: left as they were
  std::vector<std::string> refused;     // lists left out, each with its entry and the reason
  std::vector<std::string> warnings;    // passwords the list's server can't take
  std::vector<std::string> needsValue;  // Windows paths, left out: each wants a new value here
  std::string failure;                  // the file or the store failed: nothing was written
};

// With `replace`, a list of a title the register has takes the place of that one.
ImportReport ImportRegFile(const SettingsStore& store, std::string_view bytes, bool replace);

// The report for the user (UTF-8): the failure, or what was taken in, kept, and wants a value.
std::string ImportSummary(const ImportReport& report);

}  // namespace tarnwick
