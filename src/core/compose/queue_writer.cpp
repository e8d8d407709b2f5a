#include "core/compose/queue_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>

#include "core/compose/queue_folder.h"
#include "core/platform/file_replace.h"
#include "core/platform/text_codec.h"
#include "core/store/mail_box.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kNameNumbers = 0x10000;  // one to four hexadecimal digits

QueueOutcome Failed(QueueStatus status, int error = 0) {
  return {status, error, {}};
}

// Makes the queue folder (one level) when nothing of its name exists; a failure when it can't.
std::optional<QueueOutcome> PrepareFolder(const fs::path& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return std::nullopt;
    return Failed(QueueStatus::FolderIsFile);
  }
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    return Failed(QueueStatus::FolderNotCreated, errno);
  }
  return std::nullopt;
}

constexpr std::string_view kScratchPrefix = "partial-";

// A scratch file left by a program that was killed while writing it: nobody holds its lock, and
// it is older than any write takes.
bool IsStaleScratch(const fs::directory_entry& entry) {
  if (!entry.path().filename().string().starts_with(kScratchPrefix)) return false;
  const int fd = open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool stale = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                     info.st_mtime < time(nullptr) - 60 && flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return stale;
}

void RemoveStaleScratch(const fs::path& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsStaleScratch(*it)) unlink(it->path().c_str());
  }
}

// Writes the whole mail into a private scratch file whose name no queue reader looks at, and
// holds its lock until the caller closes `fd`. Returns 0 or the errno; `scratch` names the file
// once it was made.
int WriteScratch(const fs::path& folder, std::string_view mail, fs::path& scratch, int& fd,
                 Durability durability) {
  std::string pattern = (folder / (std::string(kScratchPrefix) + "XXXXXX")).string();
  fd = mkstemp(pattern.data());  // mode 0600: command mails carry passwords
  if (fd < 0) return errno;
  scratch = pattern;
  if (flock(fd, LOCK_EX) != 0 || !WriteAll(fd, mail)) return errno;
  if (durability == Durability::Now && fsync(fd) != 0) return errno;
  return 0;
}

// Gives the scratch file a queue name that no entry has yet, without ever replacing one.
int Publish(const fs::path& scratch, const fs::path& target) {
  if (renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return 0;
  }
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without no-replace renames: a hard link fails just as atomically on a taken name.
  if (link(scratch.c_str(), target.c_str()) != 0) return errno;
  unlink(scratch.c_str());
  return 0;
}

unsigned ClockNumber() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() %
                               kNameNumbers);
}

// A name some sent mail still has: replies are matched to sent mails by it, so it stays theirs.
bool NameOfASentMail(const fs::path& target) {
  struct stat info {};
  return lstat(SentPathOf(target).c_str(), &info) == 0;
}

// A list's queue folder ready for mails, and the number its next queue name is tried from.
struct QueueFolder {
  fs::path path;
  std::string text;  // CP932
  unsigned next = 0;
};

// Gives the scratch file the first free queue name from the folder's next number.
QueueOutcome PublishScratch(const fs::path& scratch, QueueFolder& folder) {
  for (unsigned step = 0; step < kNameNumbers; ++step) {
    const unsigned number = (folder.next + step) % kNameNumbers;
    char name[16];
    std::snprintf(name, sizeof name, "RXV%X.tmp", number);
    if (NameOfASentMail(folder.path / name)) continue;
    const int error = Publish(scratch, folder.path / name);
    if (error == EEXIST) continue;
    if (error != 0) return Failed(QueueStatus::WriteFailed, error);
    folder.next = number + 1;
    return {QueueStatus::Queued, 0, folder.text + "/" + name};
  }
  return Failed(QueueStatus::WriteFailed, EEXIST);
}

// The folder of that name in the mail box, made when missing, or why it can't be had.
std::optional<QueueOutcome> OpenFolder(std::string_view mailBox, std::string_view folderName,
                                       QueueFolder& folder) {
  const std::optional<std::string> folderText = ListQueueFolder(mailBox, folderName);
  if (!folderText) return Failed(QueueStatus::InvalidListName);
  const std::optional<fs::path> path = ListQueuePath(mailBox, folderName);
  if (!path) return Failed(QueueStatus::FolderNotCreated, EILSEQ);
  PrepareMailBox(mailBox);  // the default folder is made on first use; a chosen one must exist
  if (std::optional<QueueOutcome> failed = PrepareFolder(*path)) return failed;
  RemoveStaleScratch(*path);
  folder = {*path, *folderText, ClockNumber()};
  return std::nullopt;
}

// Writes the mails into scratch files, unsynced; the folder of each, or why it has none.
std::vector<std::optional<QueueOutcome>> WriteScratches(std::string_view mailBox,
                                                        const std::vector<MailToQueue>& mails,
                                                        std::map<std::string, QueueFolder>& folders,
                                                        std::vector<fs::path>& scratches) {
  std::vector<std::optional<QueueOutcome>> failures(mails.size());
  std::map<std::string, QueueOutcome> unusable;
  for (std::size_t i = 0; i < mails.size(); ++i) {
    const std::string& name = mails[i].folderName;
    if (!folders.contains(name) && !unusable.contains(name)) {
      QueueFolder folder;
      if (std::optional<QueueOutcome> failed = OpenFolder(mailBox, name, folder))
        unusable.emplace(name, *failed);
      else
        folders.emplace(name, std::move(folder));
    }
    if (const auto bad = unusable.find(name); bad != unusable.end()) {
      failures[i] = bad->second;
      continue;
    }
    int fd = -1;
    if (const int error =
            WriteScratch(folders[name].path, mails[i].mail, scratches[i], fd, Durability::Later))
      failures[i] = Failed(QueueStatus::WriteFailed, error);
    if (fd >= 0) close(fd);
  }
  return failures;
}

}  // namespace

QueueOutcome QueueMail(std::string_view mailBox, std::string_view folderName,
                       std::string_view mail) {
  QueueFolder folder;
  if (std::optional<QueueOutcome> failed = OpenFolder(mailBox, folderName, folder)) return *failed;
  fs::path scratch;
  int fd = -1;
  const int error = WriteScratch(folder.path, mail, scratch, fd, Durability::Now);
  const QueueOutcome outcome =
      error == 0 ? PublishScratch(scratch, folder) : Failed(QueueStatus::WriteFailed, error);
  if (outcome.status == QueueStatus::Queued) SyncFolder(folder.path);
  if (outcome.status != QueueStatus::Queued && !scratch.empty()) unlink(scratch.c_str());
  if (fd >= 0) close(fd);
  return outcome;
}

std::vector<QueueOutcome> QueueMails(std::string_view mailBox,
                                     const std::vector<MailToQueue>& mails) {
  std::map<std::string, QueueFolder> folders;
  std::vector<fs::path> scratches(mails.size());
  std::vector<std::optional<QueueOutcome>> failures =
      WriteScratches(mailBox, mails, folders, scratches);
  // Every mail whole on disk before any takes a queue name.
  for (const auto& [name, folder] : folders) {
    if (const int error = SyncFileSystem(folder.path)) {
      for (std::optional<QueueOutcome>& failure : failures)
        failure = failure.value_or(Failed(QueueStatus::WriteFailed, error));
    }
  }
  std::vector<QueueOutcome> outcomes;
  for (std::size_t i = 0; i < mails.size(); ++i) {
    outcomes.push_back(failures[i] ? *failures[i]
                                   : PublishScratch(scratches[i], folders[mails[i].folderName]));
    if (outcomes.back().status != QueueStatus::Queued && !scratches[i].empty())
      unlink(scratches[i].c_str());
  }
  for (const auto& [name, folder] : folders)
    SyncFolder(folder.path);
  return outcomes;
}
std::string DescribeQueueFailure(const QueueOutcome& outcome, std::string_view folder) {
  const std::string where = "ﾒｰﾙを保存するﾌｫﾙﾀﾞ「" + Cp932ToUtf8(folder) + "」";
  switch (outcome.status) {
    case QueueStatus::InvalidListName:
      return "ﾘｽﾄ名がﾒｰﾙを保存するﾌｫﾙﾀﾞ名に使えません\n"
             "ﾘｽﾄ名に「/」を含めたり「.」「..」にしたりはできません";
    case QueueStatus::FolderNotCreated:
      return where + "が作成できません\n" + std::strerror(outcome.error);
    case QueueStatus::FolderIsFile:
      return where + "が作成できません\n同名のﾌｧｲﾙが存在しています";
    case QueueStatus::WriteFailed:
      return where + "にﾒｰﾙが書き込めません\n" + std::strerror(outcome.error);
    case QueueStatus::Queued:
      break;
  }
  return {};
}

}  // namespace tarnwick
