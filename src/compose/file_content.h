// Putting a file's content into a command mail.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

// Larger than any list text, configuration or key; a larger file is refused, not cut.
inline constexpr std::size_t kMaxFileContentBytes = 32u << 20;

enum class FileContent {
  Appended,  // the content, or nothing when the file can't be opened
  TooLarge,  // the file is larger than kMaxFileContentBytes: nothing was appended
};

// Appends the content of the file (a CP932 path) byte for byte, line ends as stored. A file that
// can't be opened (empty name, missing, no access) adds nothing. The file is read in chunks of
// 1023 bytes, and a chunk that holds a zero byte is appended only up to it.
FileContent AppendFileContent(std::string_view cp932Path, std::string& text);

}  // namespace tarnwick
