// 作成: the plate's command mail composed for its list and put in the queue.
#pragma once

#include <QString>

#include "core/compose/mail_queue.h"
#include "core/store/mailing_list.h"
#include "ui/compose/plate.h"

class QWidget;

namespace tarnwick {

// What became of it, for the status bar; a refusal or a failure to queue is also shown over
// `window`.
QString QueueCommandMail(QWidget* window, CPlate& plate, MailQueue& queue, const MailingList& list);

}  // namespace tarnwick
