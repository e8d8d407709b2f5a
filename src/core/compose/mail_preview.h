// A queued command mail as the administrator reads it before it is sent: decoded for the
// screen, with the passwords it carries hidden unless asked for.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// The mail with every password it carries replaced by asterisks: the password words of each
// command line (command_words: fml's lines start with "#", the others are read as Majordomo's),
// and the *_passwd values of a configuration file sent with newconfig. Everything else stays byte
// for byte, line ends included.
std::string MaskPasswords(std::string_view mail);

// The mail as UTF-8 for display: the header and an unlabelled body from Shift_JIS, a body
// labelled ISO-2022-JP from that; bytes neither can read show as U+FFFD.
std::string MailForDisplay(std::string_view mail);

}  // namespace tarnwick
