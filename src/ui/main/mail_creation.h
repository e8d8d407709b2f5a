// 作成: the plate's command mail composed for its list and put in the queue.
#pragma once

#include <QString>

#include "core/compose/mail_queue.h"
#include "ui/compose/plate.h"

class QWidget;

namespace tarnwick {

// What became of it, for the status bar; a refusal or a failure to queue is also shown over
// `window`. The mail goes into the list's folder for new mails; `queued` tells whether it did.
QString QueueCommandMail(QWidget* window, CPlate& plate, MailQueue& queue,
                         const ListFolders& folders, bool& queued);

}  // namespace tarnwick
