// Removing members from every list that holds them (one who left, a complaint): from the latest
// rosters, one unsubscribe per list for the addresses it holds.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/members/list_rosters.h"
#include "core/platform/refusal.h"

namespace tarnwick {

struct ListRemoval {
  const MailingList* list = nullptr;
  std::vector<std::string> addresses;  // as the roster holds them (all given, for a list with none)
  bool withoutRoster = false;          // the list had no roster: sent the addresses as given
};

struct RemovalPlan {
  std::vector<ListRemoval> removals;              // lists that get an unsubscribe, register order
  std::vector<const MailingList*> withoutRoster;  // lists not searched, and left alone
  std::vector<const MailingList*> adminKept;      // fml lists whose administrator was among them
  Refusal refusal;                                // an address that is no plain mailbox: nothing
};

// Whether an fml list would lose the administrator's own address: fml takes commands only from a
// member, so the administrator would lock himself out.
bool IsKeptAdministrator(const MailingList& list, std::string_view address);

// The plan made one list at a time. With `unknownToo`, lists without a roster get the given
// addresses as well. An address that is no plain mailbox refuses them all, and nothing is planned.
class RemovalPlanner {
 public:
  RemovalPlanner(const std::vector<std::string>& addresses, bool unknownToo);
  // A list without a roster is null.
  void Plan(const MailingList& list, const RosterView* roster);
  bool refused() const { return static_cast<bool>(plan_.refusal); }
  RemovalPlan Take() && { return std::move(plan_); }

 private:
  const std::vector<std::string>& addresses_;
  bool unknownToo_;
  std::unordered_set<std::string> wanted_;  // folded
  RemovalPlan plan_;
};

// Every registered list planned, in the register's order.
RemovalPlan PlanRemoval(std::string_view mailBox, const MailingListRegister& lists,
                        const std::vector<std::string>& addresses, bool unknownToo);

}  // namespace tarnwick
