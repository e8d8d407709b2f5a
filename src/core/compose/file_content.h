// Reading a file whose text a command mail carries (a list's info or guide, a configuration, a
// file to put on the server, a PGP key).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/refusal.h"

namespace tarnwick {

// Larger than any list text, configuration or key; a larger file is refused, not cut.
inline constexpr std::size_t kMaxFileContentBytes = 32u << 20;

struct FileContent {
  std::string bytes;  // the whole file, byte for byte, when there is no refusal
  Refusal refusal;    // why the file can't be sent: a mail must never carry part of a file
};

// Reads the file named by a CP932 path: a regular text file (no zero bytes) of at most
// kMaxFileContentBytes.
FileContent ReadFileContent(std::string_view cp932Path);

// The same for a file of at most `maxBytes`; a larger one is refused naming its size.
FileContent ReadTextFile(std::string_view cp932Path, std::uintmax_t maxBytes);

}  // namespace tarnwick
