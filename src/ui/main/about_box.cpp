#include "ui/main/about_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/main/list_icons.h"
#include "ui/platform/modal.h"

namespace tarnwick {

void ShowAboutBox(QWidget* parent) {
  QDialog box(parent);
  box.setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報 Tarnwick"));
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(new QLabel(QStringLiteral("Tarnwick Version 0.2 β")), 1);
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
  QObject::connect(ok, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  auto* layout = new QVBoxLayout(&box);
  layout->addLayout(row);
  layout->addWidget(ok);
  // Wide enough for the caption whole, beside the buttons a window manager puts in a title bar.
  box.setMinimumWidth(box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160);
  ExecModal(box);
}

}  // namespace tarnwick
