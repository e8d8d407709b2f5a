// The sent mails of the registered lists with what became of each, from the servers' replies
// kept in the mail box folder ("<mail box>/.replies/", one file per reply mail), and the member
// roster the latest who or members reply gave. Reading only: nothing here writes.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/results/command_outcome.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

struct SentResult {
  const MailingList* list = nullptr;  // the list whose queue it left
  std::string fileName;               // its name in the queue (CP932)
  std::time_t sent = 0;               // when it was delivered
  SentMail mail;
  CommandOutcome outcome;
};

// The replies kept in the folder, in name order: not the read position, nor a reply being
// written.
std::vector<std::filesystem::path> KeptReplyFiles(const std::filesystem::path& folder);

// Every sent mail of the lists (or of the one titled `only`), oldest first. A list that shares
// its queue folder with an earlier one shares its sent mails too: each is taken once.
std::vector<SentResult> CollectResults(std::string_view mailBox, const MailingListRegister& lists,
                                       const MailingList* only = nullptr);

struct Roster {
  std::vector<std::string> members;  // each address once, as the server gave them
  std::time_t date = 0;              // when the mail that asked for it was sent
};

// The rosters the list's answered who or members mails gave, the latest first.
std::vector<Roster> Rosters(const std::vector<SentResult>& results, const MailingList& list);
// The latest of them, with what the list's member commands done since then changed (added,
// removed or changed addresses), until the next roster comes.
std::optional<Roster> LatestRoster(const std::vector<SentResult>& results, const MailingList& list);

// Whether the roster holds an address, letter case ignored as the list servers compare them.
class RosterLookup {
 public:
  explicit RosterLookup(const Roster& roster);
  bool Holds(std::string_view address) const;

 private:
  std::unordered_set<std::string> folded_;
};

// What changed from one roster to the next: the addresses that came and those that went (letter
// case ignored), each in the order of its roster.
struct RosterChange {
  std::vector<std::string> added;
  std::vector<std::string> removed;
};
RosterChange CompareRosters(const Roster& previous, const Roster& latest);

// The roster as CSV: a header line "address", then each address on a line of its own (a roster's
// addresses hold no comma, quote or line break, so each is a field as it stands).
std::string RosterCsv(const Roster& roster);

}  // namespace tarnwick
