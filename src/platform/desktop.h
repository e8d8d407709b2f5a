// Opening a file with the desktop's default application for its type, without waiting for it.
#pragma once

#include <QString>
#include <functional>

namespace tarnwick {

void OpenWithDesktop(const QString& path);

// Tests: while set, the hook receives each path instead of the desktop.
void SetDesktopHookForTesting(std::function<void(const QString&)> hook);

}  // namespace tarnwick
