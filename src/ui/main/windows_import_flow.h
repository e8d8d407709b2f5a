// ﾌｧｲﾙ → Windowsの設定を取り込む: a regedit export from Windows chosen, its lists and settings
// taken in, lists of the same name replaced only when the user agrees, and what was done said.
#pragma once

#include <functional>

#include "core/store/settings_store.h"

class QWidget;

namespace tarnwick {

// False when nothing was read (the choice cancelled, the file unreadable: the user was told).
// `reload` runs after an import, before its summary is shown.
bool ImportWindowsSettings(QWidget* parent, const SettingsStore& store,
                           const std::function<void()>& reload);

}  // namespace tarnwick
