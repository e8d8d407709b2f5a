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
  // Told the list name (the queue folder) whose mails changed.
  using Observer = std::function<void(const std::string& listName)>;

  explicit MailQueue(std::string mailBox) : mailBox_(std::move(mailBox)) {}

  const std::string& mailBox() const { return mailBox_; }
  // Later mails go to, and are counted in, this folder.
  void SetMailBox(std::string mailBox) { mailBox_ = std::move(mailBox); }
  void Observe(Observer observer) { observer_ = std::move(observer); }

  QueueOutcome Add(const std::string& listName, std::string_view mail);
  std::vector<QueueEntry> List(std::string_view listName) const;
  // Removes one queued mail of the list; 0, or the errno. A mail already gone is no failure:
  // it is not queued any more.
  int Remove(const std::string& listName, const std::filesystem::path& file);
  int Count(std::string_view listName) const;
  // Tells the observer that mails of the list went another way (a delivery run).
  void Changed(const std::string& listName) const;

 private:
  std::string mailBox_;
  Observer observer_;
};

}  // namespace tarnwick
