#include "core/results/bounce_review.h"

#include <map>

#include "core/incoming/imap_mailbox.h"
#include "core/platform/cp932_case.h"

namespace tarnwick {

MailboxesRead TallyMailboxes(const std::vector<std::string>& mailboxes,
                             const IncomingSettings& settings, BounceTally& tally,
                             const TallyProgress& progress) {
  MailboxesRead read;
  const double count = static_cast<double>(mailboxes.size());
  for (std::size_t i = 0; i < mailboxes.size() && !read.stopped; ++i) {
    const std::string failure = ReadAnyMailbox(
        mailboxes[i], settings,
        [&](std::string_view mail, std::time_t received) {
          ++read.mails;
          tally.Add(ReadReturnedReport(mail, received));
        },
        [&](double done) {
          read.stopped = progress && !progress((static_cast<double>(i) + done) / count, read.mails);
          return !read.stopped;
        });
    if (!failure.empty()) read.failure += (read.failure.empty() ? "" : "\n") + failure;
  }
  return read;
}

MemberCheck::MemberCheck(const std::optional<Roster>& roster) {
  if (roster) lookup_.emplace(*roster);
}

Membership MemberCheck::Of(std::string_view address) const {
  if (!lookup_) return Membership::Unknown;
  return lookup_->Holds(address) ? Membership::Member : Membership::NonMember;
}

Membership ReviewTicks::Of(const AddressTally& tally) const {
  return members_ != nullptr ? members_->Of(tally.address) : Membership::Unknown;
}

bool ReviewTicks::TickedAtFirst(const AddressTally& tally) const {
  return tally.proposed && Of(tally) != Membership::NonMember;
}

std::vector<bool> ReviewTicks::Carry(const std::vector<AddressTally>& shown,
                                     const std::vector<Row>& ticked,
                                     const std::vector<AddressTally>& next) const {
  std::map<std::string, bool> atFirst;
  for (const AddressTally& tally : shown)
    atFirst[FoldCp932Case(tally.address)] = TickedAtFirst(tally);
  std::map<std::string, bool> set;
  for (const Row& row : ticked) {
    const std::string address = FoldCp932Case(row.address);
    if (atFirst[address] != row.ticked) set[address] = row.ticked;
  }
  std::vector<bool> ticks;
  ticks.reserve(next.size());
  for (const AddressTally& tally : next) {
    const auto kept = set.find(FoldCp932Case(tally.address));
    ticks.push_back(kept != set.end() ? kept->second : TickedAtFirst(tally));
  }
  return ticks;
}

}  // namespace tarnwick
