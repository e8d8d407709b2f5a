// Where the mail box folder (the root of the queue, the sent mails and the replies) is when the
// settings name none: a folder of the user's own under the XDG data folder, never the folder the
// program happened to be started in. The window and tarnwick-cli both read it here.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// "$XDG_DATA_HOME/tarnwick/mail" (when that is an absolute path), else
// "~/.local/share/tarnwick/mail", as CP932 text; "." when no home folder is known or its path
// can't be written in CP932.
std::string DefaultMailBox();

// The mail box folder as the settings hold it: the stored text, or the default when it is empty.
std::string MailBoxOrDefault(std::string cp932);

// Makes the default mail box folder, and the "tarnwick" folder above it, private (mode 0700)
// when they are missing; a folder named in the settings is the user's and is left as it is.
// True when the mail box is now a folder.
bool PrepareMailBox(std::string_view mailBox);

}  // namespace tarnwick
