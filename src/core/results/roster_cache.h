// The latest roster of each list kept in "<mail box>/.rosters/", one file per list, so that
// finding, removing and syncing members across many lists need not read every reply again.
// Each file names a stamp of what its roster was made from: the list's sent mails and every
// reply kept (names, sizes, times). A file whose stamp no longer holds, or that can't be read,
// is made again from the replies; what it gives is always what LatestRoster would.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/results/sent_results.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

inline constexpr std::string_view kRostersFolderName = ".rosters";

// A roster whose addresses point into bytes held elsewhere: thousands of lists are read one at a
// time without a copy of each address.
struct RosterView {
  std::vector<std::string_view> members;
  std::time_t date = 0;
};
RosterView ViewOf(const Roster& roster);
RosterView ViewOf(Roster&& roster) = delete;  // the view would outlive it

// Calls `visit(i, roster)` for each list `which[i]` (lists of `lists`) in that order, with its
// latest roster, or null for a list that has none; the roster lives for the call only. The files
// made anew are written when the folder can be; when it can't, the rosters are still given.
using RosterVisit = std::function<void(std::size_t, const RosterView*)>;
void VisitLatestRosters(std::string_view mailBox, const MailingListRegister& lists,
                        const std::vector<const MailingList*>& which, const RosterVisit& visit);

// One list's latest roster, as LatestRoster over all the results would give it.
std::optional<Roster> CachedLatestRoster(std::string_view mailBox, const MailingListRegister& lists,
                                         const MailingList& list);

}  // namespace tarnwick
