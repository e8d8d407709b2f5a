#include "core/platform/file_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <string>

#include "core/platform/file_replace.h"

namespace tarnwick {

namespace fs = std::filesystem;

FileBatch& FileBatch::operator=(FileBatch&& other) noexcept {
  if (this != &other) {
    Discard();
    pending_ = std::exchange(other.pending_, {});
  }
  return *this;
}

FileBatch::~FileBatch() {
  Discard();
}

void FileBatch::Discard() {
  for (const Pending& pending : pending_)
    unlink(pending.scratch.c_str());
  pending_.clear();
}

int FileBatch::Write(const fs::path& file, std::string_view content) {
  std::string scratch =
      (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
  const int fd = mkostemp(scratch.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = fchmod(fd, 0600) == 0 && WriteAll(fd, content) ? 0 : errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    unlink(scratch.c_str());
    return error;
  }
  pending_.push_back({scratch, file});
  return 0;
}

int FileBatch::Commit() {
  if (pending_.empty()) return 0;
  int error = SyncFileSystem(pending_.front().scratch.parent_path());
  std::set<fs::path> folders;
  for (std::size_t i = 0; i < pending_.size() && error == 0; ++i) {
    // A file of the name that is a link is replaced, never written through.
    if (std::rename(pending_[i].scratch.c_str(), pending_[i].file.c_str()) != 0) {
      error = errno;
      break;
    }
    folders.insert(pending_[i].file.parent_path());
    pending_[i].scratch.clear();
  }
  for (const fs::path& folder : folders)
    SyncFolder(folder);
  for (const Pending& pending : pending_) {
    if (!pending.scratch.empty()) unlink(pending.scratch.c_str());
  }
  pending_.clear();
  return error;
}

}  // namespace tarnwick
