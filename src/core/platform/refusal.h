// A value refused where it is entered: nothing, or the reason as a message for the user (UTF-8)
// that names the value and says what would happen to it. The window shows it in a message box,
// tarnwick-cli prints it; nothing is queued or written.
#pragma once

#include <optional>
#include <string>

namespace tarnwick {

using Refusal = std::optional<std::string>;

}  // namespace tarnwick
