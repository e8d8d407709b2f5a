// " 設定 ": the frame the chosen command's plate shows in, scrolling when the plate is taller
// than the room the window has.
#pragma once

#include <QGroupBox>
#include <memory>

#include "ui/compose/entered_addresses.h"
#include "ui/compose/plate.h"

class QVBoxLayout;

namespace tarnwick {

class PlateFrame : public QGroupBox {
 public:
  PlateFrame();

  CPlate* plate() const { return plate_; }

  // Builds the plate, its fields set by the caller, and shows it in place of the one before,
  // with the addresses entered when its list and command were last shown.
  void Show(std::unique_ptr<CPlate> plate);
  // The plate gives back its remembered paths and its entered addresses first; nothing without
  // a plate.
  void Destroy();
  // The addresses entered for the list and command, kept until composed.
  EnteredAddresses& entered() { return entered_; }

 private:
  QVBoxLayout* frame_;
  CPlate* plate_ = nullptr;  // owned by the frame, as its widget
  EnteredAddresses entered_;
};

}  // namespace tarnwick
