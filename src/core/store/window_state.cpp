#include "core/store/window_state.h"

namespace tarnwick {
namespace {

constexpr std::string_view kLastFolder = "LastFolder";

}  // namespace

std::string ReadLastFolder(const SettingsStore& store) {
  std::string folder;
  store.ReadRoot().OpenKey(kWindowKey, false).ReadText(kLastFolder, folder, "");
  return folder;
}

bool RememberLastFolder(const SettingsStore& store, std::string_view folder) {
  return store.OpenRoot().CreateKey(kWindowKey).WriteText(kLastFolder, folder);
}

}  // namespace tarnwick
