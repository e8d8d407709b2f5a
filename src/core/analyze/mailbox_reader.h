// Reading a whole mailbox one mail at a time: an mbox file, a Maildir folder (the mails of its
// cur and new folders), or a single saved mail. Memory is bounded by the largest mail, not by the
// mailbox; each mail is then parsed once, by GMime, where it is read.
#pragma once

#include <filesystem>
#include <functional>
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

// Whether the file or folder holds more than one mail (an mbox of several, a Maildir), as
// against a single saved mail.
bool IsMailbox(const std::filesystem::path& path);

}  // namespace tarnwick
