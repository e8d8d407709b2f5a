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
int WriteScratch(const fs::path& folder, std::string_view mail, fs::path& scratch, int& fd) {
  std::string pattern = (folder / (std::string(kScratchPrefix) + "XXXXXX")).string();
  fd = mkstemp(pattern.data());  // mode 0600: command mails carry passwords
  if (fd < 0) return errno;
  scratch = pattern;
  if (flock(fd, LOCK_EX) != 0 || !WriteAll(fd, mail) || fsync(fd) != 0) return errno;
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

// Gives the scratch file the first free queue name from a number taken off the clock.
QueueOutcome PublishScratch(const fs::path& scratch, const fs::path& folder,
                            const std::string& folderText) {
  const unsigned start = ClockNumber();
  for (unsigned step = 0; step < kNameNumbers; ++step) {
    char name[16];
    std::snprintf(name, sizeof name, "RXV%X.tmp", (start + step) % kNameNumbers);
    if (NameOfASentMail(folder / name)) continue;
    const int error = Publish(scratch, folder / name);
    if (error == EEXIST) continue;
    if (error != 0) return Failed(QueueStatus::WriteFailed, error);
    SyncFolder(folder);
    return {QueueStatus::Queued, 0, folderText + "/" + name};
  }
  return Failed(QueueStatus::WriteFailed, EEXIST);
}

}  // namespace

QueueOutcome QueueMail(std::string_view mailBox, std::string_view folderName,
                       std::string_view mail) {
  const std::optional<std::string> folderText = ListQueueFolder(mailBox, folderName);
  if (!folderText) return Failed(QueueStatus::InvalidListName);
  const std::optional<fs::path> folder = ListQueuePath(mailBox, folderName);
  if (!folder) return Failed(QueueStatus::FolderNotCreated, EILSEQ);
  PrepareMailBox(mailBox);  // the default folder is made on first use; a chosen one must exist
  if (std::optional<QueueOutcome> failed = PrepareFolder(*folder)) return *failed;
  RemoveStaleScratch(*folder);

  fs::path scratch;
  int fd = -1;
  const int error = WriteScratch(*folder, mail, scratch, fd);
  const QueueOutcome outcome = error == 0 ? PublishScratch(scratch, *folder, *folderText)
                                          : Failed(QueueStatus::WriteFailed, error);
  if (outcome.status != QueueStatus::Queued && !scratch.empty()) unlink(scratch.c_str());
  if (fd >= 0) close(fd);
  return outcome;
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
