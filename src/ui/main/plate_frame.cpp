#include "ui/main/plate_frame.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace tarnwick {

PlateFrame::PlateFrame() : QGroupBox(QStringLiteral(" 設定 ")) {
  auto* frame = new QWidget;
  frame->setObjectName(QStringLiteral("plateFrame"));
  frame_ = new QVBoxLayout(frame);
  frame_->setContentsMargins(0, 0, 0, 0);
  // A tall plate scrolls rather than holding the window taller than a small or scaled screen.
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setMinimumSize(340, 160);
  scroll->setWidget(frame);
  // The plate is drawn on the group's own background.
  scroll->viewport()->setAutoFillBackground(false);
  frame->setAutoFillBackground(false);
  (new QVBoxLayout(this))->addWidget(scroll);
}

void PlateFrame::Show(std::unique_ptr<CPlate> plate) {
  Destroy();
  if (plate == nullptr) return;
  plate_ = plate.release();  // the frame owns it from here
  plate_->Create(frame_->parentWidget());
  entered_.Restore(*plate_);
  frame_->addWidget(plate_);
  plate_->show();
}

void PlateFrame::Destroy() {
  if (plate_ == nullptr) return;
  plate_->StoreRememberedPaths();
  entered_.Keep(*plate_);
  delete plate_;  // leaves the frame
  plate_ = nullptr;
}

}  // namespace tarnwick
