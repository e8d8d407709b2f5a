// Recognising the returned mails of today's mail systems, for files in which none of the marker
// phrases occurs: delivery-status reports (RFC 3464), the X-Failed-Recipients header, and the
// plain-text notices some mail systems send instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Larger than any returned mail worth reading; a larger file is not looked into.
inline constexpr std::size_t kMaxReturnedMailBytes = 20u << 20;

// The failed recipients the mail reports, each once, in the order it names them; nothing for a
// mail that reports no failure (a delay warning, a success notice, a complaint, an auto-reply).
std::vector<std::string> RecogniseFailedRecipients(std::string_view mail);

}  // namespace tarnwick
