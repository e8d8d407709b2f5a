#include "core/compose/queue_folder.h"

#include <algorithm>
#include <system_error>

#include "core/compose/list_folders.h"
#include "core/platform/cp932_case.h"
#include "core/platform/fs_path.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

namespace fs = std::filesystem;

bool IsPlainFolderName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::optional<std::string> ListQueueFolder(std::string_view mailBox, std::string_view folderName) {
  if (!IsPlainFolderName(folderName)) return std::nullopt;
  std::string folder(mailBox);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  folder += folderName;
  return folder;
}

std::optional<fs::path> ListQueuePath(std::string_view mailBox, std::string_view folderName) {
  const std::optional<std::string> folder = ListQueueFolder(mailBox, folderName);
  return folder ? ToFsPath(*folder) : std::nullopt;
}

fs::path SentFolderOf(const fs::path& queueFolder) {
  return queueFolder.parent_path() / kSentFolderName / queueFolder.filename();
}

fs::path SentPathOf(const fs::path& queuedFile) {
  return SentFolderOf(queuedFile.parent_path()) / queuedFile.filename();
}

bool IsQueueFileName(std::string_view fileName) {
  constexpr std::string_view kPrefix = "RXV";
  constexpr std::string_view kSuffix = ".tmp";
  if (fileName.size() < kPrefix.size() + kSuffix.size()) return false;
  return EqualsCp932IgnoreCase(fileName.substr(0, kPrefix.size()), kPrefix) &&
         EqualsCp932IgnoreCase(fileName.substr(fileName.size() - kSuffix.size()), kSuffix);
}

void SortOldestFirst(std::vector<fs::path>& files) {
  struct Found {
    fs::file_time_type time;
    fs::path path;
  };
  std::vector<Found> found;
  for (fs::path& file : files) {
    std::error_code ec;
    const fs::file_time_type time = fs::last_write_time(file, ec);
    found.push_back({time, std::move(file)});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.time != b.time ? a.time < b.time : a.path < b.path;
  });
  files.clear();
  for (Found& file : found)
    files.push_back(std::move(file.path));
}

std::vector<fs::path> QueuedFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsQueueFileName(it->path().filename().native()) && it->is_regular_file(ec))
      files.push_back(it->path());
  }
  SortOldestFirst(files);
  return files;
}

int CountQueuedMails(std::string_view mailBox, const ListFolders& folders) {
  return static_cast<int>(ListMailFiles(mailBox, folders).size());
}

void CountQueuedMails(std::string_view mailBox, MailingListRegister& lists) {
  const std::vector<ListFolders> folders = FoldersOfEach(lists, mailBox, FolderKind::Queue);
  for (std::size_t i = 0; i < lists.size(); ++i)
    lists.at(i).MailCount = CountQueuedMails(mailBox, folders[i]);
}

}  // namespace tarnwick
