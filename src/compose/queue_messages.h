// What the user is told when a command mail can't be composed or queued.
#pragma once

#include <QString>

#include "compose/command_mail.h"
#include "compose/queue_writer.h"

namespace tarnwick {

// The message for a mail that was not queued; empty for Queued.
QString QueueFailureMessage(const QueueOutcome& outcome);

// The message for a plate whose mail could not be composed, or empty when the failure is one the
// user already sees (nothing to queue: the input is missing, or a refused character was shown).
QString ComposeFailureMessage(ComposeStatus status);

}  // namespace tarnwick
