#include "core/compose/mail_queue.h"

#include <system_error>

#include "core/compose/queue_folder.h"

namespace tarnwick {

QueueOutcome MailQueue::Add(const std::string& listName, std::string_view mail) {
  QueueOutcome outcome = QueueMail(mailBox_, listName, mail);
  if (outcome.status == QueueStatus::Queued) Changed(listName);
  return outcome;
}

std::vector<QueueEntry> MailQueue::List(std::string_view listName) const {
  return ListQueue(mailBox_, listName);
}

int MailQueue::Remove(const std::string& listName, const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::remove(file, error);
  Changed(listName);
  return error.value();
}

int MailQueue::Count(std::string_view listName) const {
  return CountQueuedMails(mailBox_, listName);
}

void MailQueue::Changed(const std::string& listName) const {
  if (observer_) observer_(listName);
}

}  // namespace tarnwick
