// What the moderator is shown of a held item, the same in the window and on the command line.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "core/moderation/held_store.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

// How long fml keeps an article queued for certification unless its config.ph says otherwise.
inline constexpr int kFmlCertifyKeptDays = 14;

// The title of the registered list the item is of (UTF-8); its name on the server when none is.
std::string HeldListTitle(const HeldItem& item, const MailingListRegister& lists);

// The items still 保留中 of the registered lists.
std::size_t PendingHeldCount(const HeldStore& store, const MailingListRegister& lists);

// fml type 2: the days left (rounded up, 0 once past) before the server drops the article it
// queued, counted from the notice's arrival; nothing for any other item.
std::optional<int> DaysBeforeDropped(const HeldItem& item, std::time_t now,
                                     int keptDays = kFmlCertifyKeptDays);

// Whether approving the item sends the post again as a new post in the administrator's name
// (fml type 1 and a non-member's post): nothing of it waits on the server.
bool ApprovalIsNewPost(const HeldItem& item);

}  // namespace tarnwick
