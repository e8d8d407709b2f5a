#include "platform/desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace tarnwick {
namespace {

std::function<void(const QString&)>& Hook() {
  static std::function<void(const QString&)> hook;
  return hook;
}

}  // namespace

void OpenWithDesktop(const QString& path) {
  if (Hook()) {
    Hook()(path);
    return;
  }
  // A failure (no application for the type) is the desktop's to report.
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void SetDesktopHookForTesting(std::function<void(const QString&)> hook) {
  Hook() = std::move(hook);
}

}  // namespace tarnwick
