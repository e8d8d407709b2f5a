// The notices of held posts and requests, collected into the lists' held store as the fetch keeps
// them: what `fetch` and 受信 hand the fetch.
#pragma once

#include <string_view>

#include "core/incoming/reply_fetch.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

// Takes the notices of the registered lists (only those, and only from the addresses each list's
// server sends them from) into the held store of the mail box.
NoticeCollector HeldNoticeCollector(std::string_view mailBox, const MailingListRegister& lists);

}  // namespace tarnwick
