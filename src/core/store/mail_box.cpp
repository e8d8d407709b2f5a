#include "core/store/mail_box.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/platform/fs_path.h"
#include "core/platform/private_folder.h"
#include "core/store/settings_store.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

fs::path DataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg == '/') return xdg;
  const fs::path home = HomeFolder();
  return home.empty() ? home : home / ".local" / "share";
}

}  // namespace

std::string DefaultMailBox() {
  const fs::path data = DataFolder();
  if (data.empty()) return ".";
  return FromFsPath(data / "tarnwick" / "mail").value_or(".");
}

std::string MailBoxOrDefault(std::string cp932) {
  return cp932.empty() ? DefaultMailBox() : std::move(cp932);
}

bool PrepareMailBox(std::string_view mailBox) {
  const std::optional<fs::path> box = ToFsPath(mailBox);
  if (!box) return false;
  std::error_code error;
  if (mailBox == DefaultMailBox()) {
    // The data folder itself is the desktop's (0755 as usual); what is Tarnwick's is private.
    fs::create_directories(box->parent_path().parent_path(), error);
    MakePrivateFolder(box->parent_path());
    MakePrivateFolder(*box);
  }
  return fs::is_directory(*box, error);
}

}  // namespace tarnwick
