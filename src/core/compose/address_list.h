// The member addresses of an address-list command: kept sorted without regard to letter case,
// duplicates kept, in the order the mail lists them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

class AddressList {
 public:
  const std::vector<std::string>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }

  // Adds the address at its sorted place and returns its index; an empty text is an entry too.
  std::size_t Add(std::string address);
  void Remove(std::size_t index);
  void Clear() { entries_.clear(); }

  // Whether the list holds the address, letter case ignored (as the list servers compare them).
  bool Holds(const std::string& address) const;
  // Adds each address the list does not hold yet (a paste, a file); returns how many it held.
  std::size_t AddNew(const std::vector<std::string>& addresses);

 private:
  std::vector<std::string> entries_;
};

}  // namespace tarnwick
