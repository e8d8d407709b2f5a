// The queue of command mails in the mail box folder, one subfolder per list: the one place that
// adds, lists, removes and counts them. Counts are always those of the folder, so a mail that
// went away twice (deleted here while a run had just sent it) is counted down once; whoever
// shows counts observes the queue instead of keeping them by hand.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/compose/queue_reader.h"
#include "core/compose/queue_writer.h"

namespace tarnwick {

class MailQueue {
 public:
  // Told that queued mails changed.
  using Observer = std::function<void()>;

  explicit MailQueue(std::string mailBox) : mailBox_(std::move(mailBox)) {}

  const std::string& mailBox() const { return mailBox_; }
  // Later mails go to, and are counted in, this folder.
  void SetMailBox(std::string mailBox) { mailBox_ = std::move(mailBox); }
  void Observe(Observer observer) { observer_ = std::move(observer); }

  QueueOutcome Add(const ListFolders& folders, std::string_view mail);
  // Many mails at once (QueueMails): an outcome for each.
  std::vector<QueueOutcome> AddAll(const std::vector<MailToQueue>& mails);
  std::vector<QueueEntry> List(const ListFolders& folders) const;
  // Removes one queued mail; 0, or the errno. A mail already gone is no failure: it is not
  // queued any more.
  int Remove(const std::filesystem::path& file);
  int Count(const ListFolders& folders) const;
  // Tells the observer that queued mails went another way (a delivery run).
  void Changed() const;

 private:
  std::string mailBox_;
  Observer observer_;
};

}  // namespace tarnwick
