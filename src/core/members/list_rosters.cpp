#include "core/members/list_rosters.h"

#include <vector>

namespace tarnwick {

void VisitListRosters(std::string_view mailBox, const MailingListRegister& lists,
                      const ListRosterVisit& visit) {
  std::vector<const MailingList*> all;
  all.reserve(lists.size());
  for (std::size_t i = 0; i < lists.size(); ++i)
    all.push_back(&lists.at(i));
  VisitLatestRosters(mailBox, lists, all,
                     [&](std::size_t i, const RosterView* roster) { visit(*all[i], roster); });
}

}  // namespace tarnwick
