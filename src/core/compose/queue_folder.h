// Where command mails wait: folders inside the mail box folder (which ones are a list's:
// list_folders.h), each holding one file "RXV<hex>.tmp" per queued mail.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class MailingListRegister;
struct ListFolders;

// Larger than any command mail (the largest carries a file of at most 32 MiB): a queued file
// that is larger is not one, and is never read further.
inline constexpr std::size_t kMaxQueuedMailBytes = 40u << 20;

// True for a name that stays one folder inside its parent: not empty, not "." or "..", and
// without "/" or a zero byte.
bool IsPlainFolderName(std::string_view name);

// The CP932 path of a queue folder of the mail box, or nothing when the name is not a plain
// folder name (a queue must never reach outside the mail box folder).
std::optional<std::string> ListQueueFolder(std::string_view mailBox, std::string_view folderName);

// The same folder as a file-system path; nothing also when the text is not valid CP932.
std::optional<std::filesystem::path> ListQueuePath(std::string_view mailBox,
                                                   std::string_view folderName);

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
// Files in that order.
void SortOldestFirst(std::vector<std::filesystem::path>& files);

// The number of the list's queued mails; 0 when its folders don't exist.
int CountQueuedMails(std::string_view mailBox, const ListFolders& folders);
// Sets every list's MailCount to the number of its queued mails.
void CountQueuedMails(std::string_view mailBox, MailingListRegister& lists);

}  // namespace tarnwick
