// When the settings name another mail box folder while mails are still queued in the old one:
// the user is asked whether they move along, and told of any that stayed behind.
#pragma once

#include <string>

class QWidget;

namespace tarnwick {

class MailingListRegister;

void OfferQueueMove(QWidget* parent, const std::string& oldMailBox, const std::string& newMailBox,
                    const MailingListRegister& lists);

}  // namespace tarnwick
