#include "ui/main/list_icons.h"

#include <QPainter>
#include <QPixmap>

namespace tarnwick {
namespace {

// Drawn on a 16-unit grid and rendered at each size, so they stay sharp on dense screens.
constexpr int kSizes[] = {16, 32, 48};

// A sheet with ruled lines: the list.
void PaintSheet(QPainter& painter) {
  painter.setPen(QPen(QColor(0x4a, 0x5d, 0x7e), 1));
  painter.setBrush(QColor(0xf7, 0xf9, 0xfc));
  painter.drawRect(QRectF(2.5, 1.5, 10, 13));
  painter.setPen(QPen(QColor(0x8a, 0x9b, 0xb8), 1));
  for (int y = 4; y <= 12; y += 2)
    painter.drawLine(QPointF(4.5, y + 0.5), QPointF(10.5, y + 0.5));
}

// A small envelope in the lower right corner: mail waiting to be sent.
void PaintEnvelope(QPainter& painter) {
  const QRectF body(7.5, 8.5, 8, 6);
  painter.setPen(QPen(QColor(0x9a, 0x4a, 0x00), 1));
  painter.setBrush(QColor(0xff, 0xb3, 0x40));
  painter.drawRect(body);
  painter.drawPolyline(
      QPolygonF({body.topLeft(), QPointF(body.center().x(), body.top() + 3.5), body.topRight()}));
}

void PaintQueuedList(QPainter& painter) {
  PaintSheet(painter);
  PaintEnvelope(painter);
}

// The program: a list with mail going out, on a rounded tile.
void PaintProgram(QPainter& painter) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x2f, 0x5d, 0x8a));
  painter.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
  PaintQueuedList(painter);
}

QImage RenderImage(void (*paint)(QPainter&), int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, size > 16);
  painter.scale(size / 16.0, size / 16.0);
  paint(painter);
  return image;
}

QIcon RenderIcon(void (*paint)(QPainter&)) {
  QIcon icon;
  for (const int size : kSizes)
    icon.addPixmap(QPixmap::fromImage(RenderImage(paint, size)));
  return icon;
}

}  // namespace

QIcon ProgramIcon() {
  return RenderIcon(PaintProgram);
}
QImage ProgramIconImage(int size) {
  return RenderImage(PaintProgram, size);
}
QIcon PlainListIcon() {
  return RenderIcon(PaintSheet);
}
QIcon QueuedListIcon() {
  return RenderIcon(PaintQueuedList);
}

}  // namespace tarnwick
