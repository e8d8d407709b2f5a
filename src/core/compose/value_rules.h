// What a list server takes as the administrator meant it. Each rule answers with nothing when the
// value is fine, or with the reason it is refused: a message for the administrator in UTF-8 that
// names the value and says what the server would do with it. The window and tarnwick-cli show
// these same messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/refusal.h"
#include "core/store/mailing_list.h"

namespace tarnwick {

// A member's address as both servers take it: one plain mailbox, local@domain, printable ASCII
// without blanks or address punctuation, not starting with "-", no longer than an SMTP path.
Refusal CheckMemberAddress(std::string_view address);

// The list's name on its server, which also names its queue folder: one word that stays one
// folder inside the mail box folder (not "." or "..", no "/", blanks or control characters).
Refusal CheckListName(std::string_view name);

// What a list needs to be registered: a title, a list name (CheckListName), a server kind and
// the server's address; the administrator's address as CheckAdminAddress takes it. Names the
// field refused, so a form can take the user there.
struct ListDetailsProblem {
  enum Field { Title, Name, Kind, Address, Admin } field;
  std::string reason;
};
std::optional<ListDetailsProblem> CheckListDetails(const MailingList& list);

// The administrator's address, when the list has one: a plain mailbox by CheckMemberAddress's
// rule, the refusal naming the field (管理者ｱﾄﾞﾚｽ).
Refusal CheckAdminAddress(const MailingList& list);

// A member address as a server of this kind takes it in a command line: CheckMemberAddress, and
// for fml its line check as well (fml takes a "/" between word characters before the "@").
Refusal CheckAddressFor(ServerKind serverKind, std::string_view address);

// The administrator password a list is registered with. A list may be registered with a password
// its server can't take (the register warns), but no command is composed for it.
Refusal CheckListPassword(const MailingList& list);

// A new password for the passwd and initpass commands.
Refusal CheckNewPassword(ServerKind serverKind, std::string_view password);

// A value that goes into an fml command line (a file name, an option, an article number):
// refused when fml would not run the line. `label` names the value in the message.
Refusal CheckFmlValue(std::string_view label, std::string_view value);

// A value that stands as one word of an fml command line (a file name, an article number): no
// blank, and CheckFmlValue.
Refusal CheckFmlWord(std::string_view label, std::string_view value);

// fml's digest ("matome") mode: a number of hours, optionally followed by a format fml knows
// ("3", "3u", "12mp"); 0 returns the member to real-time delivery.
Refusal CheckMatomeMode(std::string_view mode);

// The command lines of a mail before any file content, each as the server will read it.
Refusal CheckCommandLines(ServerKind serverKind, std::string_view lines);

}  // namespace tarnwick
