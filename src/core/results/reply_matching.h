// The servers' replies fetched and matched against the mails sent to them: what `fetch` and 受信
// both do.
#pragma once

#include <string_view>

#include "core/incoming/reply_fetch.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

// Whether a reply answers one of the lists' sent mails, as they stand in the mail box now.
ReplyMatcher SentMailMatcher(std::string_view mailBox, const MailingListRegister& lists);

// Fetches the new replies, counting those that answer a sent mail, and hands each mail kept to
// the collector of notices.
FetchReport FetchMatchedReplies(const IncomingSettings& settings, std::string_view mailBox,
                                const MailingListRegister& lists,
                                const NoticeCollector& notices = {});

}  // namespace tarnwick
