#include "core/compose/queue_reader.h"

#include <set>
#include <system_error>

#include "core/compose/list_folders.h"
#include "core/compose/queue_folder.h"
#include "core/platform/fs_path.h"
#include "core/platform/line_reader.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTitlePrefix = "X-Command:";

// The character after the colon, normally a blank, is skipped whatever it is.
std::string TitleFromLine(std::string_view line) {
  return std::string(line.size() > kTitlePrefix.size() + 1 ? line.substr(kTitlePrefix.size() + 1)
                                                           : std::string_view());
}

}  // namespace

std::optional<std::string> QueuedMailTitle(const fs::path& file) {
  LineReader reader(file, kMaxQueuedMailBytes);
  std::string line;
  while (reader.Next(line)) {
    if (line.starts_with(kTitlePrefix)) return TitleFromLine(line);
  }
  return std::nullopt;
}

std::optional<std::string> MailTitle(std::string_view mail) {
  std::optional<std::string> title;
  ForEachLine(mail, [&](std::string_view line) {
    if (line.starts_with(kTitlePrefix)) title = TitleFromLine(line);
    return !title;
  });
  return title;
}

std::string TitleOf(const QueuedMail& mail) {
  if (mail.title) return *mail.title;
  return QueuedMailTitle(mail.path).value_or("");
}

std::vector<QueueEntry> ListQueue(std::string_view mailBox, const ListFolders& folders) {
  std::vector<QueueEntry> entries;
  for (const fs::path& file : ListMailFiles(mailBox, folders)) {
    std::optional<std::string> title = QueuedMailTitle(file);
    std::optional<std::string> name = FromFsPath(file.filename());
    if (title && name) entries.push_back({file, std::move(*name), std::move(*title)});
  }
  return entries;
}

std::vector<QueuedMail> CollectQueue(std::string_view mailBox, const MailingListRegister& lists) {
  std::vector<QueuedMail> mails;
  std::set<fs::path> collected;
  for (const ListFolders& folders : FoldersOfEach(lists, mailBox, FolderKind::Queue)) {
    for (fs::path& file : ListMailFiles(mailBox, folders)) {
      if (collected.insert(file.lexically_normal()).second)
        mails.push_back({false, std::move(file)});
    }
  }
  return mails;
}

}  // namespace tarnwick
