#include "core/compose/list_folders.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "core/compose/queue_folder.h"
#include "core/platform/cp932_case.h"
#include "core/platform/fs_path.h"
#include "core/platform/line_reader.h"
#include "core/platform/trim.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

bool NameShared(const MailingListRegister& lists, const MailingList& list) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const MailingList& other = lists.at(i);
    if (&other != &list && other.Name == list.Name) return true;
  }
  return false;
}

ListFolders FoldersFor(const MailingList& list, bool nameShared) {
  ListFolders folders;
  // A name that is no plain folder name has no folder: nothing is read, and queueing refuses it.
  folders.newMails = list.Name;
  if (!IsPlainFolderName(list.Name)) return folders;
  const std::string own = list.Name + "@" + list.Address;
  if (nameShared) {
    folders.newMails = own;
    folders.read = {{own, {}}, {list.Name, list.Address}};
  } else {
    // Mails queued while another list shared the name are found after it was removed.
    folders.read = {{list.Name, {}}, {own, {}}};
  }
  return folders;
}

// The address a header value names: inside angle brackets when it has them.
std::string_view AddressOf(std::string_view value) {
  const std::size_t open = value.find('<');
  const std::size_t close = value.find('>', open);
  if (open != std::string_view::npos && close != std::string_view::npos)
    value = value.substr(open + 1, close - open - 1);
  return Trim(value);
}

bool Belongs(const fs::path& file, const MailFolder& folder) {
  return folder.onlyTo.empty() || EqualsCp932IgnoreCase(AddressOf(MailFileTo(file)), folder.onlyTo);
}

// The files of the list found in one kind of folder (its queue, or its sent mails), each once.
template <typename FolderPath>
std::vector<fs::path> FilesOf(std::string_view mailBox, const ListFolders& folders,
                              FolderPath folderPath) {
  std::vector<fs::path> files;
  std::set<fs::path> seen;
  for (const MailFolder& folder : folders.read) {
    const std::optional<fs::path> queue = ListQueuePath(mailBox, folder.name);
    if (!queue || !seen.insert(queue->lexically_normal()).second) continue;
    for (fs::path& file : QueuedFiles(folderPath(*queue))) {
      if (Belongs(file, folder)) files.push_back(std::move(file));
    }
  }
  SortOldestFirst(files);
  return files;
}

// The CP932 names of what the folder holds; a name without a CP932 form is no list's folder.
std::unordered_set<std::string> NamesIn(const fs::path& folder) {
  std::unordered_set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (std::optional<std::string> name = FromFsPath(it->path().filename()))
      names.insert(std::move(*name));
  }
  return names;
}

}  // namespace

ListFolders FoldersOf(const MailingListRegister& lists, const MailingList& list) {
  return FoldersFor(list, NameShared(lists, list));
}

std::vector<ListFolders> FoldersOfEach(const MailingListRegister& lists) {
  std::unordered_map<std::string_view, std::size_t> names;
  for (std::size_t i = 0; i < lists.size(); ++i)
    ++names[lists.at(i).Name];
  std::vector<ListFolders> folders;
  folders.reserve(lists.size());
  for (std::size_t i = 0; i < lists.size(); ++i)
    folders.push_back(FoldersFor(lists.at(i), names[lists.at(i).Name] > 1));
  return folders;
}

std::vector<ListFolders> FoldersOfEach(const MailingListRegister& lists, std::string_view mailBox,
                                       FolderKind kind) {
  std::vector<ListFolders> folders = FoldersOfEach(lists);
  const std::optional<fs::path> box = ToFsPath(mailBox);
  if (!box) return folders;
  const std::unordered_set<std::string> present =
      NamesIn(kind == FolderKind::Sent ? *box / kSentFolderName : *box);
  for (ListFolders& of : folders) {
    std::erase_if(of.read,
                  [&](const MailFolder& folder) { return !present.contains(folder.name); });
  }
  return folders;
}

std::vector<fs::path> ListMailFiles(std::string_view mailBox, const ListFolders& folders) {
  return FilesOf(mailBox, folders, [](const fs::path& queue) { return queue; });
}

std::vector<fs::path> ListSentFiles(std::string_view mailBox, const ListFolders& folders) {
  return FilesOf(mailBox, folders, [](const fs::path& queue) { return SentFolderOf(queue); });
}

std::string MailFileField(const fs::path& file, std::string_view name) {
  LineReader reader(file, kMaxQueuedMailBytes);
  std::string line;
  while (reader.Next(line) && !line.empty()) {
    const std::string_view text(line);
    if (text.size() > name.size() && text[name.size()] == ':' &&
        EqualsCp932IgnoreCase(text.substr(0, name.size()), name))
      return std::string(Trim(text.substr(name.size() + 1)));
  }
  return {};
}

std::string MailFileTo(const fs::path& file) {
  return MailFileField(file, "To");
}

}  // namespace tarnwick
