#include "core/platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Fills the open scratch file with the content and the file's mode, on disk; 0 or the errno.
int FillScratch(int fd, std::string_view content, mode_t mode, Durability durability) {
  // The passwords a file holds stay as private as they were.
  if (fchmod(fd, mode) != 0 || !WriteAll(fd, content)) return errno;
  if (durability == Durability::Now && fsync(fd) != 0) return errno;
  return 0;
}

}  // namespace

void SyncFolder(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

namespace {

// Writes the content into a scratch file beside the target, then renames it over the target.
int PutInPlace(const fs::path& target, std::string_view content, mode_t mode,
               Durability durability) {
  std::string scratch =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = mkostemp(scratch.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = FillScratch(fd, content, mode, durability);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(scratch.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(scratch.c_str());
    return error;
  }
  if (durability == Durability::Now) SyncFolder(target.parent_path());
  return 0;
}

}  // namespace

int ReplaceFileContent(const fs::path& file, std::string_view content) {
  std::error_code ec;
  const fs::path target = fs::canonical(file, ec);
  if (ec) return ec.value();
  struct stat original {};
  if (stat(target.c_str(), &original) != 0) return errno;
  return PutInPlace(target, content, original.st_mode & 07777, Durability::Now);
}

int WriteWholeFile(const fs::path& file, std::string_view content, Durability durability) {
  return PutInPlace(file, content, 0600, durability);
}

int SyncFileSystem(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = syncfs(fd) == 0 ? 0 : errno;
  close(fd);
  return error;
}

}  // namespace tarnwick
