// What ties a server's reply to the command mail it answers. Majordomo echoes only the Subject
// ("Majordomo results: <subject>"), fml refers to the Message-ID: both carry a short token,
// drawn anew for every mail composed.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Eight lowercase hexadecimal digits from the system's random source.
std::string NewMailToken();

// "Subject: <title> [<token>]" and "Message-ID: <<local time>.<token>@<admin's domain>>", each
// ending in CR LF.
std::string FormatIdentityLines(std::string_view title, std::string_view admin,
                                std::string_view token, std::time_t now);

// The token of a subject that carries one ("Majordomo results: Who [1a2b3c4d]"): the last
// bracketed group of eight hexadecimal digits.
std::optional<std::string> TokenInSubject(std::string_view subject);

}  // namespace tarnwick
