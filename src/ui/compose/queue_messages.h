// What the user is told when a command mail can't be queued.
#pragma once

#include <QString>

#include "core/compose/queue_writer.h"

namespace tarnwick {

// The message for a mail that was not queued; empty for Queued.
QString QueueFailureMessage(const QueueOutcome& outcome);

}  // namespace tarnwick
