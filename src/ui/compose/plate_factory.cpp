#include "ui/compose/plate_factory.h"

#include "ui/compose/address_list_plate.h"
#include "ui/compose/form_plate.h"

namespace tarnwick {
std::unique_ptr<CPlate> MakePlate(CommandId command) {
  const CommandInfo* info = FindCommand(command);
  if (info == nullptr) return nullptr;
  if (info->addressList) return std::make_unique<CAddressListPlate>(command);
  return std::make_unique<CFormPlate>(*info);
}

}  // namespace tarnwick
