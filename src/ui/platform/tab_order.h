// The order Tab takes through a window's fields, where a part built after others (a plate made
// when its command is chosen) would otherwise come last.
#pragma once

class QWidget;

namespace tarnwick {

// Tab goes through every field of `earlier` before those of `later`, each part in its own order;
// the rest of the window keeps its place.
void TabThroughBefore(const QWidget& earlier, const QWidget& later);

}  // namespace tarnwick
