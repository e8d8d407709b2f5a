// Recognising the returned mails of today's mail systems, for files in which the marker phrases
// name no address: delivery-status reports (RFC 3464), the X-Failed-Recipients header, and the
// notices in words that many mail systems send instead or besides.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analyze/mime_mail.h"

namespace tarnwick {

// The failed recipients the mail reports, each once, in the order it names them; nothing for a
// mail that reports no failure (a delay warning, a success notice, a complaint, a read receipt,
// an auto-reply).
std::vector<std::string> RecogniseFailedRecipients(std::string_view mail);

// The mail as a mail parser expects it: old Mac mail programs end lines with CR alone, and some
// mail systems put blank lines before the header, which would make the whole mail a body.
std::string MendedMail(std::string_view mail);

// The two steps of it: the mail parsed as it is recognised (CR-only lines and blank lines before
// the header mended), and the failed recipients of a parsed mail.
std::optional<ReturnedMail> ParseForRecognition(std::string_view mail);
std::vector<std::string> FailedRecipientsOf(const ReturnedMail& mail);

}  // namespace tarnwick
