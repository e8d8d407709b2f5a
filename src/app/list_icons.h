// The program's icons: the window's, and the register view's two (a list without queued mail, and
// a list with queued mail).
#pragma once

#include <QIcon>

namespace tarnwick {

QIcon ProgramIcon();
QIcon PlainListIcon();
QIcon QueuedListIcon();

}  // namespace tarnwick
