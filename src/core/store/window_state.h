// What the window remembers between runs besides the settings, under the key "Window": the
// folder its file dialogs were last left in.
#pragma once

#include <string>
#include <string_view>

#include "core/store/settings_store.h"

namespace tarnwick {

inline constexpr std::string_view kWindowKey = "Window";

// The folder (CP932 text) the last file dialog was accepted in; empty when none was.
std::string ReadLastFolder(const SettingsStore& store);
// Remembers it; false when the store can't be written.
bool RememberLastFolder(const SettingsStore& store, std::string_view folder);

}  // namespace tarnwick
