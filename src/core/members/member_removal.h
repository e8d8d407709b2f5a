// Removing members from every list that holds them (one who left, a complaint): from the latest
// rosters, one unsubscribe per list for the addresses it holds.
#pragma once

#include <string>
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
  std::vector<ListRemoval> removals;             // lists that get an unsubscribe, register order
  std::vector<const MailingList*> withoutRoster;  // lists not searched, and left alone
  std::vector<const MailingList*> adminKept;  // fml lists whose administrator was among them
  Refusal refusal;                            // an address that is no plain mailbox: nothing
};

// Whether an fml list would lose the administrator's own address: fml takes commands only from a
// member, so the administrator would lock himself out.
bool IsKeptAdministrator(const MailingList& list, std::string_view address);

// With `unknownToo`, lists without a roster get the given addresses as well.
RemovalPlan PlanRemoval(const std::vector<ListRoster>& rosters,
                        const std::vector<std::string>& addresses, bool unknownToo);

}  // namespace tarnwick
