#include "core/results/bounce_review.h"

#include "core/incoming/imap_mailbox.h"

namespace tarnwick {

MailboxesRead TallyMailboxes(const std::vector<std::string>& mailboxes,
                             const IncomingSettings& settings, BounceTally& tally,
                             const TallyProgress& progress) {
  MailboxesRead read;
  const double count = static_cast<double>(mailboxes.size());
  for (std::size_t i = 0; i < mailboxes.size() && !read.stopped; ++i) {
    const std::string failure = ReadAnyMailbox(
        mailboxes[i], settings,
        [&](std::string_view mail) {
          ++read.mails;
          tally.Add(ReadReturnedReport(mail));
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

}  // namespace tarnwick
