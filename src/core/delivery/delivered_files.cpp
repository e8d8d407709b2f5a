#include "core/delivery/delivered_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/compose/queue_folder.h"
#include "core/delivery/smtp_delivery.h"
#include "core/platform/private_folder.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Moves the file to `to`, in place of an older sent mail of that name. A plain rename would do
// nothing at all, and leave the mail queued, where both names are links to one file.
bool MoveOver(const fs::path& from, const fs::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return unlink(to.c_str()) == 0 && rename(from.c_str(), to.c_str()) == 0;
  // A file system without no-replace renames: an older sent mail of the name is replaced.
  return (errno == EINVAL || errno == ENOSYS) && rename(from.c_str(), to.c_str()) == 0 &&
         access(from.c_str(), F_OK) != 0;
}

}  // namespace

void DeliveredFiles::Take(std::size_t index, const fs::path& file) {
  mailBoxes_.insert(file.parent_path().parent_path());
  std::string failure = Retire(file);
  if (!failure.empty()) failures_.emplace_back(index, std::move(failure));
}

void DeliveredFiles::Finish(DeliveryReport& report) {
  for (auto& [index, failure] : failures_) {
    if (index < report.mailFailures.size()) report.mailFailures[index] = std::move(failure);
  }
  failures_.clear();
  for (const fs::path& mailBox : mailBoxes_)
    PruneSentMails(mailBox, keepDays_, fs::file_time_type::clock::now());
  mailBoxes_.clear();
}

std::string DeliveredFiles::Retire(const fs::path& file) {
  // Out of the queue by a rename into the sent folder, kept or not: a rename is several times
  // quicker than a removal, which frees the file's blocks, and a run killed before the mail is
  // out sends it again.
  const fs::path sent = SentPathOf(file);
  const fs::path folder = sent.parent_path();
  const bool ready = madeFolders_.contains(folder) ||
                     (MakePrivateFolder(folder.parent_path()) && MakePrivateFolder(folder) &&
                      madeFolders_.insert(folder).second);
  if (ready && MoveOver(file, sent)) {
    if (keepDays_ == 0) {
      unlink(sent.c_str());  // one a killed run leaves here goes when the next run prunes
    } else {
      utimensat(AT_FDCWD, sent.c_str(), nullptr, 0);  // it now carries the time it was sent
    }
    return {};
  }
  // The sent folder can't take it: removed, so it is never sent twice.
  if (unlink(file.c_str()) == 0 || errno == ENOENT) return {};
  return std::string("送信しましたがﾌｧｲﾙを削除できませんでした: ") + std::strerror(errno);
}

void PruneSentMails(const fs::path& mailBox, std::uint32_t keepDays, fs::file_time_type now) {
  const fs::file_time_type oldest = now - std::chrono::days(keepDays);
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(mailBox / kSentFolderName, ec))) return;
  for (fs::directory_iterator list(mailBox / kSentFolderName, ec), end; !ec && list != end;
       list.increment(ec)) {
    std::error_code fileError;
    if (!list->is_directory(fileError) || list->is_symlink(fileError)) continue;
    for (const fs::path& sent : QueuedFiles(list->path())) {
      if (fs::last_write_time(sent, fileError) < oldest && !fileError) fs::remove(sent, fileError);
    }
  }
}

}  // namespace tarnwick
