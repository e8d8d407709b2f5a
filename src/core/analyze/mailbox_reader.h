// Reading a whole mailbox one mail at a time: an mbox file, a Maildir folder (the mails of its
// cur and new folders), or a single saved mail. Memory is bounded by the largest mail, not by the
// mailbox; each mail is then parsed once, by GMime, where it is read.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace tarnwick {

// Told after each mail how much of the mailbox has been read (0 to 1); returning false stops
// the reading there.
using MailboxProgress = std::function<bool(double done)>;

// Calls `read` with each mail; a mail larger than any returned mail is passed over. False when
// the mailbox can't be opened or is neither form.
bool ReadMailbox(const std::filesystem::path& mailbox,
                 const std::function<void(std::string_view mail)>& read,
                 const MailboxProgress& progress = {});

// Calls `read` with each mail and when it came into the mailbox: the date of the mbox "From "
// line before it, or the time its file (a Maildir's, a single saved mail) was last written; 0 when
// neither says. A mail without a Date of its own is dated by this.
using ReadDatedMail = std::function<void(std::string_view mail, std::time_t received)>;
bool ReadDatedMailbox(const std::filesystem::path& mailbox, const ReadDatedMail& read,
                      const MailboxProgress& progress = {});

// The date an mbox "From " line ("From sender Wed Dec  9 06:15:33 2026") carries after its
// sender; nothing when there is none that reads.
std::optional<std::time_t> FromLineDate(std::string_view line);

// Whether the file or folder holds more than one mail (an mbox of several, a Maildir), as
// against a single saved mail.
bool IsMailbox(const std::filesystem::path& path);

}  // namespace tarnwick
