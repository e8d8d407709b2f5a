// Reviewing returned mails by the mailbox: every mailbox read into one tally, and each address
// told member or not by the list's latest roster. tarnwick-cli bounces and the window's review
// of returned mails both work through here.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/analyze/bounce_tally.h"
#include "core/incoming/imap_login.h"
#include "core/results/sent_results.h"

namespace tarnwick {

struct MailboxesRead {
  std::size_t mails = 0;
  std::string failure;  // why a mailbox could not be read, one after another (UTF-8)
  bool stopped = false;
};

// Told after each mail how far the reading is over all the mailboxes (0 to 1) and how many mails
// were read; returning false stops it.
using TallyProgress = std::function<bool(double done, std::size_t mails)>;

// Reads each mailbox ("imap:FOLDER", or the path of an mbox, a Maildir or a saved mail) into the
// tally; a mailbox that can't be read does not stop the others.
MailboxesRead TallyMailboxes(const std::vector<std::string>& mailboxes,
                             const IncomingSettings& settings, BounceTally& tally,
                             const TallyProgress& progress = {});

enum class Membership { Unknown, Member, NonMember };

// Membership by a roster; Unknown for every address while the list has none.
class MemberCheck {
 public:
  explicit MemberCheck(const std::optional<Roster>& roster);
  bool known() const { return lookup_.has_value(); }
  Membership Of(std::string_view address) const;

 private:
  std::optional<RosterLookup> lookup_;
};

// Which rows of a review are ticked for removal. At first the proposed addresses that are not
// known to have left the list already; a tick the administrator set otherwise than that stays as
// set while the rows change (another number of days, more mailboxes read).
class ReviewTicks {
 public:
  // `members` is the roster's word on each address; null where the review has no list.
  explicit ReviewTicks(const MemberCheck* members) : members_(members) {}

  Membership Of(const AddressTally& tally) const;
  bool TickedAtFirst(const AddressTally& tally) const;

  // The ticks for `next`, in its order. `shown` is the rows shown so far and `ticked` their
  // addresses as ticked on screen, in any order; addresses match in any letter case.
  struct Row {
    std::string address;
    bool ticked = false;
  };
  std::vector<bool> Carry(const std::vector<AddressTally>& shown, const std::vector<Row>& ticked,
                          const std::vector<AddressTally>& next) const;

 private:
  const MemberCheck* members_;
};

}  // namespace tarnwick
