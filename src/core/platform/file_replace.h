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

// Whether a file written is on disk when the write returns, or only once the caller syncs its
// file system: many small files written at once then cost one sync instead of two each.
enum class Durability { Now, Later };

// Writes the file whole or not at all, new or in place of one of that name (not through a link
// of that name), private to the user; 0 or the errno.
int WriteWholeFile(const std::filesystem::path& file, std::string_view content,
                   Durability durability = Durability::Now);

// Puts everything written on the folder's file system on disk; 0 or the errno.
int SyncFileSystem(const std::filesystem::path& folder);

}  // namespace tarnwick
