// The subscribe and unsubscribe mails of many addresses at once (a removal across lists, a sync,
// the removals proposed by returned mails): composed as every command mail, split where the server
// would refuse one mail, and queued only when every part was composed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/compose/command_catalogue.h"
#include "core/platform/refusal.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

// A mail under this size goes through any mail server met in practice.
inline constexpr std::size_t kMemberMailBytes = 1u << 20;

struct MemberMailLimits {
  std::size_t maxCommands = 0;              // command lines a mail may hold; 0: no limit
  std::size_t maxBytes = kMemberMailBytes;  // the size of a whole mail
};

// The limits of the list's server: an fml list's own count of command lines (its "# admin pass"
// among them).
MemberMailLimits LimitsOf(const MailingList& list);

// The addresses in parts, in their order, each part one mail within the limits.
std::vector<std::vector<std::string>> SplitMemberAddresses(
    const MailingList& list, const std::vector<std::string>& addresses,
    const MemberMailLimits& limits);

struct MemberMail {
  std::vector<std::string> addresses;  // those the mail holds
  std::string text;                    // the whole mail
  std::string path;                    // CP932 path of the queued file, once queued
};

struct MemberMails {
  std::vector<MemberMail> mails;
  Refusal refusal;  // why nothing was composed or queued (UTF-8)
};

// Composes `command` (subscribe or unsubscribe) for the addresses, one mail per part. Any part
// refused refuses them all: nothing is composed.
MemberMails ComposeMemberMails(const MailingList& list, CommandId command,
                               const std::vector<std::string>& addresses,
                               const MemberMailLimits& limits);

// Queues the composed mails in the list's folder. A mail that can't be queued ends the queueing
// with its reason; those queued before it stay queued, with their paths set.
Refusal QueueMemberMails(std::string_view mailBox, const MailingListRegister& lists,
                         const MailingList& list, MemberMails& mails);

}  // namespace tarnwick
