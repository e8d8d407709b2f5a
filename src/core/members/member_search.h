// Finding members across lists: on which of the lists is an address, or any address a pattern
// matches ("*@example.co.jp", "tanaka*").
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/members/list_rosters.h"

namespace tarnwick {

// An address, or a pattern in which each "*" stands for any text; letter case is ignored, as the
// list servers compare addresses.
class AddressPattern {
 public:
  explicit AddressPattern(std::string_view pattern);
  bool Matches(std::string_view address) const;

 private:
  std::string folded_;
};

struct MemberHit {
  const MailingList* list = nullptr;
  std::string address;     // as the roster holds it
  std::time_t rosterDate;  // when the roster it was found in was asked for
};

// The members any of the patterns matches: list by list in the register's order, each list's
// hits in its roster's order, each member once.
std::vector<MemberHit> FindMembers(const std::vector<ListRoster>& rosters,
                                   const std::vector<AddressPattern>& patterns);

}  // namespace tarnwick
