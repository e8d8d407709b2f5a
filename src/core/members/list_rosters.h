// The latest roster of each registered list, as the servers' who and members replies gave them:
// what searching and removing members across lists go through, one list at a time.
#pragma once

#include <functional>
#include <string_view>

#include "core/results/roster_cache.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

// Calls `visit` with every list of the register, in its order, and its latest roster: null until
// a who or members mail of the list is answered. The roster lives for the call only.
using ListRosterVisit = std::function<void(const MailingList&, const RosterView*)>;
void VisitListRosters(std::string_view mailBox, const MailingListRegister& lists,
                      const ListRosterVisit& visit);

}  // namespace tarnwick
