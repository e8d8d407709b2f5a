// ﾍﾙﾌﾟ → 使い方 (F1): the guide to the daily tasks installed with the program, in a window of
// its own that stays open beside the main window while the user follows it.
#pragma once

#include <QString>

class QWidget;

namespace tarnwick {

// The installed guide: beside the program (<prefix>/bin/../share/tarnwick, which is also where
// the build puts it), else under the prefix it was built for; empty when neither holds it.
QString GuidePath();

// Shows the guide over `parent`, raising the window already open.
void ShowGuide(QWidget* parent);

}  // namespace tarnwick
