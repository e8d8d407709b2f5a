// The failed recipients a returned mail names, gathered from whichever part of it names them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tarnwick {

// The addresses written in running text, "local@domain" with or without brackets or quotes
// around them, in the order the text gives them.
std::vector<std::string> AddressesIn(std::string_view text);

// The address of a From or Reply-To: the one in angle brackets, else the first word with an "@"
// ("Majordomo@localhost" has no dot in its domain, and is still the server's address).
std::string AddressOfField(std::string_view value);

// Addresses collected once each (letter case ignored), in the order found.
class Recipients {
 public:
  // Adds the bare address of an address text, when it is a full address.
  void Add(std::string_view text);
  bool empty() const { return addresses_.empty(); }
  std::vector<std::string> Take();

 private:
  std::vector<std::string> addresses_;
  std::unordered_set<std::string> seen_;  // in lower case
};

}  // namespace tarnwick
