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

RemovalPlanner::RemovalPlanner(const std::vector<std::string>& addresses, bool unknownToo)
    : addresses_(addresses), unknownToo_(unknownToo) {
  for (const std::string& address : addresses) {
    if (Refusal refusal = CheckMemberAddress(address)) {
      plan_.refusal = std::move(refusal);
      return;
    }
    wanted_.insert(FoldCp932Case(address));
  }
}

void RemovalPlanner::Plan(const MailingList& list, const RosterView* roster) {
  if (plan_.refusal) return;
  ListRemoval removal{&list, {}, roster == nullptr};
  if (roster != nullptr) {
    for (const std::string_view member : roster->members) {
      if (wanted_.contains(FoldCp932Case(member))) removal.addresses.emplace_back(member);
    }
  } else {
    plan_.withoutRoster.push_back(&list);
    if (!unknownToo_) return;
    removal.addresses = addresses_;
  }
  bool kept = false;
  removal.addresses = WithoutAdministrator(list, std::move(removal.addresses), kept);
  if (kept) plan_.adminKept.push_back(&list);
  if (!removal.addresses.empty()) plan_.removals.push_back(std::move(removal));
}

RemovalPlan PlanRemoval(std::string_view mailBox, const MailingListRegister& lists,
                        const std::vector<std::string>& addresses, bool unknownToo) {
  RemovalPlanner planner(addresses, unknownToo);
  if (!planner.refused())
    VisitListRosters(mailBox, lists, [&](const MailingList& list, const RosterView* roster) {
      planner.Plan(list, roster);
    });
  return std::move(planner).Take();
}

}  // namespace tarnwick
