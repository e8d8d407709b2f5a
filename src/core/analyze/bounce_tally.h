// Returned mails by the hundred: the failures each reports, with their kind, and their tally per
// address, which proposes the addresses to remove from the list.
#pragma once

#include <cstddef>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct ReportedFailure {
  std::string address;
  bool permanent = true;  // 5.x.x or "user unknown"; 4.x.x and "mailbox full" are temporary
  std::string status;     // "5.1.1", "4.2.2", or empty when the report gives none
};

struct ReturnedReport {
  std::time_t date = 0;  // the returned mail's Date, else when it came; 0 when nothing says
  std::vector<ReportedFailure> failures;
};

// The failures a returned mail reports; none for a mail that reports none (delays, auto-replies,
// complaints, ordinary mail, a list server's approval requests). A mail without a Date that
// reads is dated by when it came into its mailbox (`received`, 0 for not known).
ReturnedReport ReadReturnedReport(std::string_view mail, std::time_t received = 0);

struct AddressTally {
  std::string address;
  bool permanent = false;  // some report said the failure is for good
  std::size_t reports = 0;
  std::time_t first = 0, last = 0;  // 0 while no report of it was dated
  std::string lastStatus;
  std::size_t temporaryDays = 0;  // distinct days with a temporary failure
  bool proposed = false;          // permanent, or temporary on enough distinct days
};

class BounceTally {
 public:
  void Add(const ReturnedReport& report);
  // Each address once (letter case ignored), in alphabetical order; proposed when a failure
  // was permanent or temporary failures came on `minDays` different days.
  std::vector<AddressTally> Result(std::size_t minDays) const;

 private:
  struct Entry {
    AddressTally tally;
    std::set<long> days;
  };
  std::map<std::string, Entry> entries_;  // by address in lower case
};

// "2026-12-07", local time; "日付不明" for 0, no time at all.
std::string FormatDay(std::time_t time);

}  // namespace tarnwick
