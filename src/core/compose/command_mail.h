// Composing the complete text of a command mail from plain inputs: the header lines (From, To,
// Date, Subject and Message-ID), the "X-Command:" line, an empty line and the command's body for
// the list's server kind.
#pragma once

#include <string>
#include <vector>

#include "core/compose/command_catalogue.h"
#include "core/compose/command_input.h"
#include "core/store/mailing_list.h"

namespace tarnwick {

enum class ComposeStatus {
  Composed,
  NothingToQueue,  // the command lacks its input: an empty address list, a missing chaddr address
  NotOffered,      // the list's server kind has no such command
  Refused,         // a value the server would not take as meant; the reason says which and why
};

struct ComposeResult {
  ComposeStatus status = ComposeStatus::NothingToQueue;
  std::string reason;  // Refused, NothingToQueue: the message for the administrator, in UTF-8
};

// Replaces `text` by the whole mail when the status is Composed; leaves it empty otherwise.
ComposeResult BuildMail(CommandId id, const MailingList& list, const CommandInput& input,
                        std::string& text);

}  // namespace tarnwick
