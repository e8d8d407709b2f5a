#include "ui/platform/tab_order.h"

#include <QList>
#include <QWidget>

namespace tarnwick {
namespace {

// The widgets of the part that Tab stops at, in the window's tab order.
QList<QWidget*> TabStops(const QWidget& part) {
  QList<QWidget*> stops;
  QWidget* window = part.window();
  for (QWidget* widget = window->nextInFocusChain(); widget != window;
       widget = widget->nextInFocusChain()) {
    if (part.isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) != 0)
      stops.append(widget);
  }
  return stops;
}

}  // namespace

void TabThroughBefore(const QWidget& earlier, const QWidget& later) {
  const QList<QWidget*> first = TabStops(earlier);
  if (first.isEmpty()) return;
  QWidget* previous = first.last();
  for (QWidget* next : TabStops(later)) {
    QWidget::setTabOrder(previous, next);
    previous = next;
  }
}

}  // namespace tarnwick
