// Which folders of the mail box hold a list's command mails. A list whose name no other
// registered list has keeps its queue in "<name>/" and its delivered mails in ".sent/<name>/".
// Lists sharing a name (a Majordomo "staff" and an fml "staff") each keep theirs in
// "<name>@<server address>/", and still find in "<name>/" the mails sent To their own server:
// a mail box from before the name was shared stays readable, each mail by the list it went to.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class MailingListRegister;
struct MailingList;

// A folder of the mail box (a CP932 name one level below it) and which of its mails are the
// list's: all, or only those whose To: is `onlyTo`.
struct MailFolder {
  std::string name;
  std::string onlyTo;
};

struct ListFolders {
  std::string newMails;  // where the list's new mails are queued
  std::vector<MailFolder> read;
};

ListFolders FoldersOf(const MailingListRegister& lists, const MailingList& list);
// The folders of every list, in the register's order. Asking FoldersOf list by list walks the
// whole register for each, which a register of thousands of lists can't afford.
std::vector<ListFolders> FoldersOfEach(const MailingListRegister& lists);

// Which kind of a list's folders is looked at: its queues, or its sent mails below ".sent/".
enum class FolderKind { Queue, Sent };
// The same, less the folders of that kind the mail box does not hold, found in one read of the
// mail box: counting or watching thousands of lists looks only at the folders there are.
std::vector<ListFolders> FoldersOfEach(const MailingListRegister& lists, std::string_view mailBox,
                                       FolderKind kind);

// The list's queued mails, oldest first.
std::vector<std::filesystem::path> ListMailFiles(std::string_view mailBox,
                                                 const ListFolders& folders);
// The list's delivered mails kept in the sent folders, oldest first.
std::vector<std::filesystem::path> ListSentFiles(std::string_view mailBox,
                                                 const ListFolders& folders);

// The To: of a mail file's header (the first one), read within the bounds of a queued mail;
// empty when it has none or can't be read.
std::string MailFileTo(const std::filesystem::path& file);
// The same for the first field of that name (letter case ignored), on one line.
std::string MailFileField(const std::filesystem::path& file, std::string_view name);

}  // namespace tarnwick
