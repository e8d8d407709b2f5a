// The latest roster of each registered list, as the servers' who and members replies gave them:
// what searching, removing and syncing members across lists start from.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/results/sent_results.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

struct ListRoster {
  const MailingList* list = nullptr;
  std::optional<Roster> roster;  // nothing until a who or members mail is answered
};

// Every list of the register, in its order, with its latest roster.
std::vector<ListRoster> LatestRosters(std::string_view mailBox, const MailingListRegister& lists);

// The lists that have no roster yet: they could not be searched.
std::vector<const MailingList*> WithoutRoster(const std::vector<ListRoster>& rosters);

}  // namespace tarnwick
