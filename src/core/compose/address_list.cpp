#include "core/compose/address_list.h"

#include <algorithm>

#include "core/platform/cp932_case.h"

namespace tarnwick {

std::size_t AddressList::Add(std::string address) {
  // Entries are only ever added in order and removed, so the list stays sorted and the place is
  // found by halving: a returned mail can bring thousands of addresses.
  const auto after = std::upper_bound(entries_.begin(), entries_.end(), address,
                                      [](const std::string& text, const std::string& entry) {
                                        return SortsBeforeIgnoringCase(text, entry);
                                      });
  const std::size_t index = static_cast<std::size_t>(after - entries_.begin());
  entries_.insert(after, std::move(address));
  return index;
}

void AddressList::Remove(std::size_t index) {
  if (index < entries_.size())
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace tarnwick
