#include "core/compose/mail_queue.h"

#include <system_error>

#include "core/compose/queue_folder.h"

namespace tarnwick {

QueueOutcome MailQueue::Add(const ListFolders& folders, std::string_view mail) {
  QueueOutcome outcome = QueueMail(mailBox_, folders.newMails, mail);
  if (outcome.status == QueueStatus::Queued) Changed();
  return outcome;
}

std::vector<QueueOutcome> MailQueue::AddAll(const std::vector<MailToQueue>& mails) {
  std::vector<QueueOutcome> outcomes = QueueMails(mailBox_, mails);
  for (const QueueOutcome& outcome : outcomes) {
    if (outcome.status != QueueStatus::Queued) continue;
    Changed();
    break;
  }
  return outcomes;
}

std::vector<QueueEntry> MailQueue::List(const ListFolders& folders) const {
  return ListQueue(mailBox_, folders);
}

int MailQueue::Remove(const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::remove(file, error);
  Changed();
  return error.value();
}

int MailQueue::Count(const ListFolders& folders) const {
  return CountQueuedMails(mailBox_, folders);
}

void MailQueue::Changed() const {
  if (observer_) observer_();
}

}  // namespace tarnwick
