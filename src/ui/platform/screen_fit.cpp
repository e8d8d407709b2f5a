#include "ui/platform/screen_fit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QWidget>

namespace tarnwick {
namespace {

// What a window manager typically adds around a window and above it (the title bar).
constexpr QSize kFrame(16, 48);

const QScreen* ScreenOf(const QWidget& window) {
  if (const QWidget* parent = window.parentWidget()) {
    if (const QScreen* screen = parent->screen()) return screen;
  }
  if (const QScreen* screen = window.screen()) return screen;
  return QGuiApplication::primaryScreen();
}

}  // namespace

QSize RoomOnScreen(const QWidget& window) {
  const QScreen* screen = ScreenOf(window);
  if (screen == nullptr) return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
  return screen->availableGeometry().size() - kFrame;
}

void FitToScreen(QWidget& window) {
  window.ensurePolished();
  if (QLayout* layout = window.layout()) layout->activate();
  const QSize usual = window.testAttribute(Qt::WA_Resized)
                          ? window.size()
                          : window.sizeHint().expandedTo(window.minimumSizeHint());
  window.resize(usual.boundedTo(RoomOnScreen(window)));
}

void FocusField(QWidget& field) {
  QWidget* inner = &field;
  for (QWidget* up = field.parentWidget(); up != nullptr; inner = up, up = up->parentWidget()) {
    if (auto* pages = qobject_cast<QStackedWidget*>(up)) pages->setCurrentWidget(inner);
  }
  for (QWidget* up = field.parentWidget(); up != nullptr; up = up->parentWidget()) {
    if (auto* scroll = qobject_cast<QScrollArea*>(up)) scroll->ensureWidgetVisible(&field);
  }
  field.setFocus();
}

FittingScrollArea::FittingScrollArea(QWidget* content) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidget(content);
}

// QScrollArea caps its hint at a few dozen lines of text; the fields ask for their whole size,
// and room for the bar that scrolls them where the dialog is held smaller.
QSize FittingScrollArea::sizeHint() const {
  if (widget() == nullptr) return {};
  const QSize fields = widget()->sizeHint().expandedTo(widget()->minimumSize());
  return fields + QSize(verticalScrollBar()->sizeHint().width(), 0);
}

QSize FittingScrollArea::minimumSizeHint() const {
  const QSize fields = widget() != nullptr ? widget()->minimumSizeHint() : QSize();
  return fields.boundedTo(QSize(240, 120));
}

}  // namespace tarnwick
