// The name a command mail is shown by. The "X-Command:" value a mail carries is what the
// servers' replies and the stored mails are matched by, so it never changes; the administrator
// reads the command's Japanese name instead, in the window and on tarnwick-cli alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The Japanese name (UTF-8) of the command whose mail carries this "X-Command:" value; nothing
// for a value no command of the catalogue writes.
std::optional<std::string_view> JapaneseCommandName(std::string_view xCommand);

// What a mail with this "X-Command:" value (CP932, as read from the file) is shown as, in UTF-8:
// its command's Japanese name, else the value itself (a mail put into the queue by hand).
std::string CommandTitleText(std::string_view xCommand);

}  // namespace tarnwick
