// Reading a whole file of outside input, bounded.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

struct FileBytes {
  enum Status {
    Read,        // `bytes` holds the whole file
    OpenFailed,  // `error` says why
    NotRegular,  // a folder, a device, a pipe: nothing that ends by itself is read
    TooLarge,    // more than the limit; reading stopped there
    ReadFailed,  // `error` says why
  } status = OpenFailed;
  int error = 0;
  std::string bytes;
};

// The bytes of a regular file (links followed), reading no more than one byte past `maxBytes`.
FileBytes ReadRegularFile(const std::filesystem::path& file, std::uintmax_t maxBytes);

// The file's bytes, or nothing when it can't be read whole or is larger than `maxBytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                         std::uintmax_t maxBytes);

// When the file was last written; 0 when it can't be asked.
std::time_t ModifiedTime(const std::filesystem::path& file);

}  // namespace tarnwick
