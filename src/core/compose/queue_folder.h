// Where a list's command mails wait: the folder named after the list inside the mail box folder,
// holding one file "RXV<hex>.tmp" per queued mail.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class MailingListRegister;

// Larger than any command mail (the largest carries a file of at most 32 MiB): a queued file
// that is larger is not one, and is never read further.
inline constexpr std::size_t kMaxQueuedMailBytes = 40u << 20;

// True for a name that stays one folder inside its parent: not empty, not "." or "..", and
// without "/" or a zero byte.
bool IsPlainFolderName(std::string_view name);

// The CP932 path of the list's queue folder, or nothing when the list name is not a plain folder
// name (a queue must never reach outside the mail box folder).
std::optional<std::string> ListQueueFolder(std::string_view mailBox, std::string_view listName);

// The same folder as a file-system path; nothing also when the text is not valid CP932.
std::optional<std::filesystem::path> ListQueuePath(std::string_view mailBox,
                                                   std::string_view listName);

// Delivered mails are kept beside the queue folders, in "<mail box>/.sent/<queue folder>/", under
// the name they had in the queue: never inside a queue folder, where they would be sent again.
inline constexpr std::string_view kSentFolderName = ".sent";

// The sent mails of a queue folder.
std::filesystem::path SentFolderOf(const std::filesystem::path& queueFolder);
// Where a queued file goes once it was delivered.
std::filesystem::path SentPathOf(const std::filesystem::path& queuedFile);

// True for a file name matching "RXV*.tmp" (letter case ignored).
bool IsQueueFileName(std::string_view fileName);

// The queued mails of a folder (regular files named "RXV*.tmp"), oldest first: by modification
// time, then name. None when the folder doesn't exist.
std::vector<std::filesystem::path> QueuedFiles(const std::filesystem::path& folder);

// The number of queued mails in the list's queue folder; 0 when the folder doesn't exist or the
// list name is not a plain folder name.
int CountQueuedMails(std::string_view mailBox, std::string_view listName);
// Sets every list's MailCount to the number of mails in its queue folder.
void CountQueuedMails(std::string_view mailBox, MailingListRegister& lists);

}  // namespace tarnwick
