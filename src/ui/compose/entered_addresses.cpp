#include "ui/compose/entered_addresses.h"

#include "ui/compose/address_list_plate.h"

namespace tarnwick {

void EnteredAddresses::Keep(const CPlate& plate) {
  const auto* addressPlate = dynamic_cast<const CAddressListPlate*>(&plate);
  if (addressPlate == nullptr || plate.list == nullptr) return;
  const Key key{plate.list->Title, plate.command()};
  const AddressList& addresses = addressPlate->addresses();
  if (addresses.empty() || JustComposed(key, addresses)) {
    kept_.erase(key);
  } else {
    kept_[key] = addresses;
  }
}

void EnteredAddresses::Restore(CPlate& plate) {
  auto* addressPlate = dynamic_cast<CAddressListPlate*>(&plate);
  if (addressPlate == nullptr || plate.list == nullptr) return;
  const auto kept = kept_.find({plate.list->Title, plate.command()});
  if (kept != kept_.end()) addressPlate->RestoreAddresses(kept->second);
}

void EnteredAddresses::Composed(const CPlate& plate) {
  const auto* addressPlate = dynamic_cast<const CAddressListPlate*>(&plate);
  if (addressPlate == nullptr || plate.list == nullptr) return;
  composedKey_ = Key{plate.list->Title, plate.command()};
  composed_ = addressPlate->addresses().entries();
  kept_.erase(*composedKey_);
}

std::size_t EnteredAddresses::Waiting(const CPlate* shown) const {
  std::size_t count = 0;
  std::optional<Key> shownKey;
  const auto* addressPlate = dynamic_cast<const CAddressListPlate*>(shown);
  if (addressPlate != nullptr && shown->list != nullptr) {
    shownKey = Key{shown->list->Title, shown->command()};
    if (!JustComposed(*shownKey, addressPlate->addresses()))
      count += addressPlate->addresses().size();
  }
  for (const auto& [key, addresses] : kept_) {
    if (key != shownKey) count += addresses.size();
  }
  return count;
}

bool EnteredAddresses::JustComposed(const Key& key, const AddressList& addresses) const {
  return composedKey_ == key && addresses.entries() == composed_;
}

void EnteredAddresses::Forget(const std::string& listTitle) {
  std::erase_if(kept_, [&](const auto& entry) { return entry.first.first == listTitle; });
  if (composedKey_ && composedKey_->first == listTitle) composedKey_.reset();
}

}  // namespace tarnwick
