#include "core/platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

FileBytes ReadRegularFile(const std::filesystem::path& file, std::uintmax_t maxBytes) {
  FileBytes result;
  // Non-blocking, so that opening a FIFO does not wait for a writer before it is refused.
  const Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
    result.error = errno;
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.status = FileBytes::NotRegular;
    return result;
  }
  char chunk[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.status = FileBytes::ReadFailed;
      result.error = errno;
      result.bytes.clear();
      return result;
    }
    if (got == 0) break;
    result.bytes.append(chunk, static_cast<std::size_t>(got));
    if (result.bytes.size() > maxBytes) {
      result.status = FileBytes::TooLarge;
      result.bytes.clear();
      return result;
    }
  }
  result.status = FileBytes::Read;
  return result;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                         std::uintmax_t maxBytes) {
  FileBytes read = ReadRegularFile(file, maxBytes);
  if (read.status != FileBytes::Read) return std::nullopt;
  return std::move(read.bytes);
}

std::time_t ModifiedTime(const std::filesystem::path& file) {
  struct stat info {};
  return stat(file.c_str(), &info) == 0 ? info.st_mtime : 0;
}

}  // namespace tarnwick
