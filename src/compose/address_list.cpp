#include "compose/address_list.h"

#include "platform/cp932_case.h"

namespace tarnwick {

std::size_t AddressList::Add(std::string address) {
  const std::size_t index = SortedInsertPosition(
      entries_, address, [](const std::string& entry) -> const std::string& { return entry; });
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::move(address));
  return index;
}

void AddressList::Remove(std::size_t index) {
  if (index < entries_.size())
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace tarnwick
