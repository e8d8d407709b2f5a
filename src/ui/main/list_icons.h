// The program's icons: the window's, and the register view's two (a list without queued mail, and
// a list with queued mail).
#pragma once

#include <QIcon>
#include <QImage>

namespace tarnwick {

QIcon ProgramIcon();
// The program's icon drawn at any size, for the desktop's icon theme.
QImage ProgramIconImage(int size);
QIcon PlainListIcon();
QIcon QueuedListIcon();

}  // namespace tarnwick
