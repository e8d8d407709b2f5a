// What the window is asked for when the program is started with arguments: a command word, a
// list's title and optionally a mail file to take addresses from (`tarnwick subscribe "TITLE"
// mail.eml`). Only subscribe and unsubscribe open a plate; any other word selects the list alone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/compose/command_catalogue.h"

namespace tarnwick {

struct StartRequest {
  std::string title;                 // the list's title as given (UTF-8)
  std::optional<CommandId> command;  // the plate to open; none for a word it does not know
  std::string file;                  // the mail file to read addresses from; empty for none
};

// Nothing for fewer than a word and a title. The word counts by its start, in any case:
// "unsub..." for unsubscribe, "subs..." for subscribe.
std::optional<StartRequest> ParseStartRequest(const std::vector<std::string>& arguments);

}  // namespace tarnwick
