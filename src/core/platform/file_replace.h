// Writing files so that a crash, a full disk or a planted link never leaves one half-written or
// writes where it should not.
#pragma once

#include <filesystem>
#include <string_view>

namespace tarnwick {

// Writes all the bytes to the descriptor; false (errno set) when that can't be done.
bool WriteAll(int fd, std::string_view bytes);

// Puts the folder's entries on disk, so that a file just named there stays named after a crash.
void SyncFolder(const std::filesystem::path& folder);

// Replaces the file's content whole or not at all, and returns 0 or the errno. A link is written
// through to the file it names and stays a link. The new content goes into a scratch file of our
// own, created exclusively beside the file (so it can't follow a planted link or clobber a file
// the user keeps there), with the file's mode, and is then renamed over it in one step.
int ReplaceFileContent(const std::filesystem::path& file, std::string_view content);

// Writes the file whole or not at all, new or in place of one of that name (not through a link
// of that name), private to the user; 0 or the errno.
int WriteWholeFile(const std::filesystem::path& file, std::string_view content);

}  // namespace tarnwick
