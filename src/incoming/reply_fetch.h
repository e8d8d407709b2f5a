// Fetching the servers' replies from the administrator's mailbox: the new mails of the folder are
// looked at (their From and Reply-To only), those from a registered list's server are kept whole
// in "<mail box>/.replies/", and how far the folder was read is remembered beside them. The
// mailbox itself is only read: nothing is deleted, moved or flagged there.
#pragma once

#include <string>
#include <string_view>

#include "incoming/imap_login.h"
#include "store/mailing_list_register.h"

namespace tarnwick {

struct FetchReport {
  std::size_t read = 0;     // new mails looked at
  std::size_t kept = 0;     // of those, replies from the lists' servers, now kept
  std::size_t matched = 0;  // of those, the replies that answer a sent mail
  std::string failure;      // why the fetch did not go through (UTF-8); empty when it did
};

FetchReport FetchReplies(const IncomingSettings& settings, std::string_view mailBox,
                         const MailingListRegister& lists);

}  // namespace tarnwick
