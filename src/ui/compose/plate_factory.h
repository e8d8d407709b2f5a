// Makes the plate of a command. The plates differ only in their faces and inputs, so they are
// described by tables (the address-list texts, the forms) rather than a class each.
#pragma once

#include <memory>

#include "ui/compose/plate.h"

namespace tarnwick {

// The plate of the command, or nullptr for a command that has no plate.
std::unique_ptr<CPlate> MakePlate(CommandId command);

}  // namespace tarnwick
