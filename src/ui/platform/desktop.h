// Opening a file with the program the desktop chooses for it (for a queued mail, its text
// editor), without waiting for that program.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tarnwick {

// When no program could be started for the file, or the desktop reports that opening it
// failed, the user is told so over `parent` (if it is still there).
void OpenWithDesktop(const QString& path, QWidget* parent);

// Tests: while set, the hook receives each path instead of the desktop, and returns whether the
// desktop would have opened it.
void SetDesktopHookForTesting(std::function<bool(const QString&)> hook);

}  // namespace tarnwick
