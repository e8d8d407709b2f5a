#include "core/platform/private_folder.h"

#include <sys/stat.h>

#include <cerrno>

namespace tarnwick {

bool MakePrivateFolder(const std::filesystem::path& folder) {
  if (mkdir(folder.c_str(), 0700) == 0) return true;
  struct stat info {};
  return errno == EEXIST && lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tarnwick
