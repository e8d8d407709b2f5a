// The two icons of the register view: a list without queued mail, and a list with queued mail.
#pragma once

#include <QIcon>

namespace tarnwick {

QIcon PlainListIcon();
QIcon QueuedListIcon();

}  // namespace tarnwick
