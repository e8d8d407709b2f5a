// A folder of the administrator's IMAP mailbox read whole, as a mailbox of returned mails: every
// mail handed on in turn, the folder left exactly as it was (examined, fetched with BODY.PEEK).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/analyze/mailbox_reader.h"
#include "core/incoming/imap_login.h"

namespace tarnwick {

// "imap:Bounces" names the folder Bounces; "imap:" the folder the settings name.
inline constexpr std::string_view kImapMailboxPrefix = "imap:";

// Nothing when every mail was read (or the reading was stopped), else why not (UTF-8). Mails
// are fetched a few at a time, never more than the largest mail's worth at once.
std::string ReadImapFolder(const IncomingSettings& settings, std::string_view folder,
                           const std::function<void(std::string_view mail)>& read,
                           const MailboxProgress& progress = {});

// A mailbox of either kind: "imap:FOLDER", or the path of an mbox file, a Maildir folder or a
// saved mail (UTF-8). Nothing when it was read, else why not (UTF-8).
// Each mail comes with when it came into its mailbox (ReadDatedMailbox; 0 from IMAP).
std::string ReadAnyMailbox(std::string_view source, const IncomingSettings& settings,
                           const ReadDatedMail& read, const MailboxProgress& progress = {});

}  // namespace tarnwick
