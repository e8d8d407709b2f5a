#include "core/members/member_removal.h"

#include <algorithm>
#include <unordered_set>

#include "core/compose/value_rules.h"
#include "core/platform/cp932_case.h"

namespace tarnwick {

bool IsKeptAdministrator(const MailingList& list, std::string_view address) {
  return list.Type == ServerKind::Fml && EqualsCp932IgnoreCase(list.Admin, address);
}

namespace {

// The addresses the list gets, without its administrator's where he must stay.
std::vector<std::string> WithoutAdministrator(const MailingList& list,
                                              std::vector<std::string> addresses, bool& kept) {
  const auto admin = [&](const std::string& address) { return IsKeptAdministrator(list, address); };
  kept = std::any_of(addresses.begin(), addresses.end(), admin);
  std::erase_if(addresses, admin);
  return addresses;
}

}  // namespace

RemovalPlan PlanRemoval(const std::vector<ListRoster>& rosters,
                        const std::vector<std::string>& addresses, bool unknownToo) {
  RemovalPlan plan;
  std::unordered_set<std::string> wanted;
  for (const std::string& address : addresses) {
    if (Refusal refusal = CheckMemberAddress(address)) {
      plan.refusal = std::move(refusal);
      return plan;
    }
    wanted.insert(FoldCp932Case(address));
  }
  for (const ListRoster& entry : rosters) {
    ListRemoval removal{entry.list, {}, !entry.roster};
    if (entry.roster) {
      for (const std::string& member : entry.roster->members) {
        if (wanted.contains(FoldCp932Case(member))) removal.addresses.push_back(member);
      }
    } else {
      plan.withoutRoster.push_back(entry.list);
      if (!unknownToo) continue;
      removal.addresses = addresses;
    }
    bool kept = false;
    removal.addresses = WithoutAdministrator(*entry.list, std::move(removal.addresses), kept);
    if (kept) plan.adminKept.push_back(entry.list);
    if (!removal.addresses.empty()) plan.removals.push_back(std::move(removal));
  }
  return plan;
}

}  // namespace tarnwick
