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

struct MemberSearch {
  std::vector<MemberHit> hits;                    // list by list, each in its roster's order
  std::vector<const MailingList*> withoutRoster;  // lists that could not be searched
};

// The members any of the patterns matches, searched one list at a time; each member once.
class MemberFinder {
 public:
  explicit MemberFinder(std::vector<AddressPattern> patterns) : patterns_(std::move(patterns)) {}
  // A list without a roster (null) is named among those not searched.
  void Search(const MailingList& list, const RosterView* roster);
  MemberSearch Take() && { return std::move(found_); }

 private:
  std::vector<AddressPattern> patterns_;
  MemberSearch found_;
};

// Every registered list searched, in the register's order.
MemberSearch SearchMembers(std::string_view mailBox, const MailingListRegister& lists,
                           std::vector<AddressPattern> patterns);

}  // namespace tarnwick
