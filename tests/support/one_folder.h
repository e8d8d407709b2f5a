// The folders of a list that is alone with its name: one folder, all its mails the list's.
#pragma once

#include <string>

#include "core/compose/list_folders.h"

namespace tarnwick::testing {

inline ListFolders OneFolder(const std::string& name) {
  return {name, {{name, {}}}};
}

}  // namespace tarnwick::testing
