// Making a list's members exactly those of a file (a staff directory, a secretary's spreadsheet):
// the file against the latest roster gives one subscribe of the missing and one unsubscribe of
// the extra. A wrong file can empty a list, so what looks like a mistake waits for a yes.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "core/compose/address_text.h"
#include "core/platform/refusal.h"
#include "core/results/sent_results.h"

namespace tarnwick {

// A roster older than this is no ground for removing members without a yes.
inline constexpr int kFreshRosterDays = 7;

struct SyncPlan {
  std::vector<std::string> add;     // in the file, not on the list: in the file's order
  std::vector<std::string> remove;  // on the list, not in the file: in the roster's order
  bool adminKept = false;           // an fml list's administrator is kept though not in the file
  // Why the sync should not go without the administrator's yes (UTF-8), each a sentence of its own.
  std::vector<std::string> cautions;
  Refusal refusal;  // the file can't be taken: nothing is composed, yes or not
};

// `wanted` is the file read by the list's rule (AddressTextRule::OnePerLine).
SyncPlan PlanSync(const MailingList& list, const std::optional<Roster>& roster,
                  const AddressText& wanted, std::time_t now);

}  // namespace tarnwick
