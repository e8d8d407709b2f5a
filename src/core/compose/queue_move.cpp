#include "core/compose/queue_move.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "core/compose/list_folders.h"
#include "core/compose/queue_folder.h"
#include "core/compose/queue_writer.h"
#include "core/platform/file_bytes.h"
#include "core/platform/fs_path.h"
#include "core/store/mail_box.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Every folder some list reads its queue from, each once.
std::set<std::string> QueueFolderNames(const MailingListRegister& lists) {
  std::set<std::string> names;
  for (const ListFolders& folders : FoldersOfEach(lists)) {
    for (const MailFolder& folder : folders.read)
      names.insert(folder.name);
  }
  return names;
}

bool SameFolder(std::string_view a, std::string_view b) {
  const std::optional<fs::path> first = ToFsPath(a);
  const std::optional<fs::path> second = ToFsPath(b);
  std::error_code error;
  return first && second && fs::equivalent(*first, *second, error);
}

// Moves one mail; empty, or why it stayed.
std::string MoveOne(const fs::path& file, std::string_view toMailBox, const std::string& folder) {
  const std::optional<std::string> mail = ReadWholeFile(file, kMaxQueuedMailBytes);
  if (!mail) return file.filename().string() + "を読めませんでした";
  const QueueOutcome queued = QueueMail(toMailBox, folder, *mail);
  if (queued.status != QueueStatus::Queued) {
    const std::string why = queued.error != 0 ? std::strerror(queued.error)
                            : queued.status == QueueStatus::FolderIsFile ? "同名のﾌｧｲﾙがあります"
                                                                         : "ﾌｫﾙﾀﾞ名に使えません";
    return file.filename().string() + "を移動先に書けませんでした (" + why + ")";
  }
  if (unlink(file.c_str()) == 0 || errno == ENOENT) return {};
  // The original stays queued, so the copy goes again: one mail is never queued twice.
  const std::string reason = std::strerror(errno);
  if (const std::optional<fs::path> copy = ToFsPath(queued.path)) unlink(copy->c_str());
  return file.filename().string() + "を移動元から削除できませんでした (" + reason + ")";
}

}  // namespace

QueueMove MoveQueue(std::string_view fromMailBox, std::string_view toMailBox,
                    const MailingListRegister& lists) {
  QueueMove move;
  if (SameFolder(fromMailBox, toMailBox)) return move;
  const bool target = PrepareMailBox(toMailBox);
  for (const std::string& name : QueueFolderNames(lists)) {
    const std::optional<fs::path> folder = ListQueuePath(fromMailBox, name);
    if (!folder) continue;
    for (const fs::path& file : QueuedFiles(*folder)) {
      const std::string failure =
          target ? MoveOne(file, toMailBox, name) : std::string("移動先のﾌｫﾙﾀﾞがありません");
      if (failure.empty()) {
        ++move.moved;
        continue;
      }
      ++move.left;
      if (move.failure.empty()) move.failure = failure;
    }
  }
  return move;
}

}  // namespace tarnwick
