#include "compose/queue_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/cp932_case.h"
#include "platform/fs_path.h"

namespace tarnwick {

bool IsPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::optional<std::string> ListQueueFolder(std::string_view mailBox, std::string_view listName) {
  if (!IsPlainFolderName(listName)) return std::nullopt;
  std::string folder(mailBox);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  folder += listName;
  return folder;
}

bool IsQueueFileName(std::string_view fileName) {
  constexpr std::string_view kPrefix = "RXV";
  constexpr std::string_view kSuffix = ".tmp";
  if (fileName.size() < kPrefix.size() + kSuffix.size()) return false;
  return EqualsCp932IgnoreCase(fileName.substr(0, kPrefix.size()), kPrefix) &&
         EqualsCp932IgnoreCase(fileName.substr(fileName.size() - kSuffix.size()), kSuffix);
}

int CountQueuedMails(std::string_view mailBox, std::string_view listName) {
  const std::optional<std::string> folder = ListQueueFolder(mailBox, listName);
  const std::optional<std::filesystem::path> path = folder ? ToFsPath(*folder) : std::nullopt;
  if (!path) return 0;
  std::error_code ec;
  int count = 0;
  for (std::filesystem::directory_iterator it(*path, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsQueueFileName(it->path().filename().native()) && it->is_regular_file(ec)) ++count;
  }
  return count;
}

}  // namespace tarnwick
