// Paths are held as CP932 text (they come from the store and from dialogs) and turned into the
// file system's encoding (UTF-8 on Linux) here, just before a file-system call.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The file-system path for a CP932 path, or nothing when the text is not valid CP932 (such a
// path names no file the program could have written, and must not be guessed at).
std::optional<std::filesystem::path> ToFsPath(std::string_view cp932Path);

// The CP932 text of a file-system path, or nothing when its name has no CP932 form.
std::optional<std::string> FromFsPath(const std::filesystem::path& path);

}  // namespace tarnwick
