#include "core/platform/record_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/file_replace.h"
#include "core/platform/fnv_hash.h"
#include "core/platform/whole_number.h"

namespace tarnwick {
namespace {

// A record: the mark, its payload's length (8 hexadecimal digits), a space, the payload's
// checksum, a line break, the payload and a line break.
constexpr char kMark[] = "\x1eR";
constexpr std::size_t kMarkSize = 2;
constexpr std::size_t kHeadSize = kMarkSize + 8 + 1 + 16 + 1;

// The payload of the record that starts at `at`, when a whole one does.
std::optional<std::string_view> RecordAt(std::string_view bytes, std::size_t at,
                                         std::size_t maxPayload) {
  if (bytes.size() - at < kHeadSize || bytes.substr(at, kMarkSize) != kMark) return std::nullopt;
  const std::string_view head = bytes.substr(at + kMarkSize, kHeadSize - kMarkSize);
  const std::optional<std::uint64_t> size = WholeNumber<std::uint64_t>(head.substr(0, 8), 16);
  if (!size || head[8] != ' ' || head[25] != '\n' || *size > maxPayload ||
      *size >= bytes.size() - at - kHeadSize)
    return std::nullopt;
  const std::string_view payload = bytes.substr(at + kHeadSize, *size);
  if (bytes[at + kHeadSize + *size] != '\n' || ChecksumHex(payload) != head.substr(9, 16))
    return std::nullopt;
  return payload;
}

bool IsRegular(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string ChecksumHex(std::string_view bytes) {
  return Fnv1a().Add(bytes).Hex();
}

std::string FramedRecord(std::string_view payload) {
  std::string record(kMark);
  record += HexDigits(payload.size(), 8);
  record += ' ';
  record += ChecksumHex(payload);
  record += '\n';
  record += payload;
  record += '\n';
  return record;
}

LoggedRecords ReadRecords(std::string_view bytes, std::size_t maxPayload) {
  LoggedRecords read;
  for (std::size_t at = 0; at < bytes.size();) {
    if (const std::optional<std::string_view> payload = RecordAt(bytes, at, maxPayload)) {
      read.payloads.push_back(*payload);
      at += kHeadSize + payload->size() + 1;
      continue;
    }
    // Not a whole record here: on to the next mark, where one may start again.
    const std::size_t next = std::min(bytes.find(kMark, at + 1), bytes.size());
    read.damagedBytes += next - at;
    at = next;
  }
  return read;
}

int AppendDurably(const std::filesystem::path& file, std::string_view bytes, std::uint64_t& at,
                  std::string_view firstBytes) {
  const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  struct stat info {};
  int error = 0;
  if (fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = EINVAL;
  } else {
    const std::string whole =
        info.st_size == 0 ? std::string(firstBytes) + std::string(bytes) : std::string(bytes);
    at = static_cast<std::uint64_t>(info.st_size) + (whole.size() - bytes.size());
    if (!WriteAll(fd, whole) || fdatasync(fd) != 0) error = errno;
  }
  if (close(fd) != 0 && error == 0) error = errno;
  return error;
}

std::optional<std::string> ReadFileRange(const std::filesystem::path& file, std::uint64_t at,
                                         std::uint64_t size) {
  const int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes(size, '\0');
  std::size_t got = 0;
  const bool regular = IsRegular(fd);
  while (regular && got < size) {
    const ssize_t read = pread(fd, bytes.data() + got, size - got, static_cast<off_t>(at + got));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) break;
    got += static_cast<std::size_t>(read);
  }
  close(fd);
  if (got != size) return std::nullopt;
  return bytes;
}

std::optional<FileLock> FileLock::Take(const std::filesystem::path& file, int& error) {
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  error = fd < 0 ? errno : 0;
  if (fd < 0) return std::nullopt;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    error = errno;
    close(fd);
    return std::nullopt;
  }
  return FileLock(fd);
}

FileLock::~FileLock() {
  if (fd_ >= 0) close(fd_);  // closing releases the lock
}

}  // namespace tarnwick
