#include "core/members/list_rosters.h"

namespace tarnwick {

std::vector<ListRoster> LatestRosters(std::string_view mailBox, const MailingListRegister& lists) {
  const std::vector<SentResult> results = CollectResults(mailBox, lists);
  std::vector<ListRoster> rosters;
  rosters.reserve(lists.size());
  for (std::size_t i = 0; i < lists.size(); ++i)
    rosters.push_back({&lists.at(i), LatestRoster(results, lists.at(i))});
  return rosters;
}

std::vector<const MailingList*> WithoutRoster(const std::vector<ListRoster>& rosters) {
  std::vector<const MailingList*> lists;
  for (const ListRoster& entry : rosters) {
    if (!entry.roster) lists.push_back(entry.list);
  }
  return lists;
}

}  // namespace tarnwick
