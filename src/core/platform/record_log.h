// A file of records appended a batch at a time: each record framed with its length and a
// checksum, so that a write cut off by a crash (or anything else that is not a whole record)
// is skipped when the file is read, and the records before and after it still read. One append
// of a thousand records is one write and one sync.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The payload framed as one record.
std::string FramedRecord(std::string_view payload);

struct LoggedRecords {
  std::vector<std::string_view> payloads;  // into the bytes read, in their order
  std::size_t damagedBytes = 0;            // bytes that were no whole record, skipped
};

// The whole records among the bytes; none longer than `maxPayload`.
LoggedRecords ReadRecords(std::string_view bytes, std::size_t maxPayload);
// The payloads are views into the bytes: a temporary would leave them dangling.
LoggedRecords ReadRecords(std::string&& bytes, std::size_t maxPayload) = delete;

// A checksum of the bytes as 16 hexadecimal digits (not a cryptographic one: it tells a torn or
// damaged write, not a forged one).
std::string ChecksumHex(std::string_view bytes);

// Appends the bytes to the regular file (made private to the user when missing, never through a
// link of that name) in one write, on disk when it returns; 0 or the errno. `at` is where they
// begin: the file's size before, which holds only while every appender holds one lock.
// `firstBytes` go in front when the file is new or empty.
int AppendDurably(const std::filesystem::path& file, std::string_view bytes, std::uint64_t& at,
                  std::string_view firstBytes = {});

// `size` bytes (bounded by the caller) of the regular file from `at`, never through a link;
// nothing when it can't be read so far.
std::optional<std::string> ReadFileRange(const std::filesystem::path& file, std::uint64_t at,
                                         std::uint64_t size);

// An exclusive lock of a lock file (made private when missing, never through a link), held
// while the object lives, across every process that takes it.
class FileLock {
 public:
  // The lock, waited for; nothing (and the errno) when the lock file can't be had.
  static std::optional<FileLock> Take(const std::filesystem::path& file, int& error);
  FileLock(FileLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileLock& operator=(FileLock&&) = delete;
  FileLock(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace tarnwick
