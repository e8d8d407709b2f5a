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

bool AddressList::Holds(const std::string& address) const {
  // The sorted order's first key is the comparison ignoring case, so the equals sit together.
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), address,
                                   [](const std::string& entry, const std::string& text) {
                                     return CompareCp932IgnoreCase(entry, text) < 0;
                                   });
  return at != entries_.end() && EqualsCp932IgnoreCase(*at, address);
}

std::size_t AddressList::AddNew(const std::vector<std::string>& addresses) {
  std::size_t held = 0;
  for (const std::string& address : addresses) {
    if (Holds(address)) {
      ++held;
      continue;
    }
    Add(address);
  }
  return held;
}

}  // namespace tarnwick
