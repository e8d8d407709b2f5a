// The window's way to the subscribe and unsubscribe mails of many addresses (a sync, a removal
// across lists): composed with the list's password as every command mail, before anything is
// queued (QueueMemberMails). A refusal reads as tarnwick-cli prints it, the list named first.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/members/member_mails.h"

namespace tarnwick {

// The mails of the command for the addresses, split by the list's limits; nothing composed and
// the refusal set when any part is refused.
MemberMails ComposeListMails(const MailingList& list, CommandId command,
                             const std::vector<std::string>& addresses);

// Why the fml list's administrator stays a member though asked to go.
QString AdminKeptNote(const MailingList& list);

}  // namespace tarnwick
