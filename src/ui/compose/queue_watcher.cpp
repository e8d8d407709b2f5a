#include "ui/compose/queue_watcher.h"

#include <QStringList>
#include <filesystem>

#include "core/compose/list_folders.h"
#include "core/compose/queue_folder.h"
#include "core/platform/fs_path.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {
namespace {

// Long enough to take a burst of changes as one, short enough to look immediate.
constexpr int kQuietMilliseconds = 200;

void AddIfFolder(QStringList& folders, const std::optional<std::filesystem::path>& path) {
  std::error_code error;
  if (!path || !std::filesystem::is_directory(*path, error)) return;
  const QString folder = QString::fromStdString(path->lexically_normal().string());
  if (!folders.contains(folder)) folders << folder;
}

}  // namespace

QueueWatcher::QueueWatcher(QObject* parent) : QObject(parent) {
  quiet_.setSingleShot(true);
  quiet_.setInterval(kQuietMilliseconds);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &quiet_,
          static_cast<void (QTimer::*)()>(&QTimer::start));
  connect(&quiet_, &QTimer::timeout, this, &QueueWatcher::changed);
}

void QueueWatcher::Watch(const std::string& mailBox, const MailingListRegister& lists) {
  QStringList folders;
  AddIfFolder(folders, ToFsPath(mailBox));
  for (const ListFolders& of : FoldersOfEach(lists, mailBox, FolderKind::Queue)) {
    for (const MailFolder& folder : of.read)
      AddIfFolder(folders, ListQueuePath(mailBox, folder.name));
  }
  const QStringList watched = watcher_.directories();
  if (watched == folders) return;
  if (!watched.isEmpty()) watcher_.removePaths(watched);
  if (!folders.isEmpty()) watcher_.addPaths(folders);
}

}  // namespace tarnwick
