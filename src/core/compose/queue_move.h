// Moving the queue to another mail box folder, when the settings name a new one: every queued
// mail of the lists' folders goes, under the same folder name, or stays where it was. A mail is
// removed from the old folder only once it is queued whole in the new one, so nothing is lost,
// and it never stays in both, so nothing is sent twice.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

class MailingListRegister;

struct QueueMove {
  int moved = 0;
  int left = 0;         // still queued in the old folder
  std::string failure;  // why the first of them stayed (UTF-8); empty when all moved
};

QueueMove MoveQueue(std::string_view fromMailBox, std::string_view toMailBox,
                    const MailingListRegister& lists);

}  // namespace tarnwick
