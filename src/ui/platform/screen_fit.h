// Every window within the free area of the screen it opens on: a small screen, or a large one
// scaled up, has less room than a dialog's usual size, and a dialog taller than its screen would
// leave its OK out of reach.
#pragma once

#include <QScrollArea>
#include <QSize>

class QWidget;

namespace tarnwick {

// The free area of the screen the window opens on (its parent's, else its own), less the frame a
// window manager typically adds around and above a window.
QSize RoomOnScreen(const QWidget& window);

// Gives the window its usual size (as set by resize(), else as its layout asks) where the
// screen has room for it, and the screen's room where it hasn't. A layout that cannot shrink so
// far keeps its minimum: tall fields belong in a FittingScrollArea.
void FitToScreen(QWidget& window);

// Gives the field the keyboard, first bringing forward the page (of a tab widget) it is on and
// scrolling it into view: a refused value is shown where it is typed.
void FocusField(QWidget& field);

// Holds a dialog's fields: as large as they ask where the screen has room, scrolling them where
// the dialog is held smaller than that.
class FittingScrollArea : public QScrollArea {
 public:
  explicit FittingScrollArea(QWidget* content);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
};

}  // namespace tarnwick
