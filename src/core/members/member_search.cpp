#include "core/members/member_search.h"

#include <algorithm>

#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"

namespace tarnwick {
namespace {

// Glob matching of "*" over ASCII-folded bytes: the last star met is where a mismatch goes back
// to, so the walk stays linear in practice and never recurses.
bool Glob(std::string_view pattern, std::string_view text) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == ToAsciiLower(text[t])) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

}  // namespace

AddressPattern::AddressPattern(std::string_view pattern) : folded_(LowerAscii(pattern)) {}

bool AddressPattern::Matches(std::string_view address) const {
  return Glob(folded_, address);
}

void MemberFinder::Search(const MailingList& list, const RosterView* roster) {
  if (roster == nullptr) {
    found_.withoutRoster.push_back(&list);
    return;
  }
  for (const std::string_view member : roster->members) {
    if (std::any_of(patterns_.begin(), patterns_.end(),
                    [&](const AddressPattern& pattern) { return pattern.Matches(member); })) {
      found_.hits.push_back({&list, std::string(member), roster->date});
    }
  }
}

MemberSearch SearchMembers(std::string_view mailBox, const MailingListRegister& lists,
                           std::vector<AddressPattern> patterns) {
  MemberFinder finder(std::move(patterns));
  VisitListRosters(mailBox, lists, [&](const MailingList& list, const RosterView* roster) {
    finder.Search(list, roster);
  });
  return std::move(finder).Take();
}

}  // namespace tarnwick
