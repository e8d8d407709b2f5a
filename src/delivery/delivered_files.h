// Taking delivered mails out of the queue: each goes into the sent folder beside the queue
// folders (or is removed, when sent mails are not kept), on a thread of its own, so the next mail
// is on the wire meanwhile. Sent mails older than the days they are kept are removed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick {

struct DeliveryReport;

class DeliveredFiles {
 public:
  // `keepDays` 0 removes each delivered file at once.
  explicit DeliveredFiles(std::uint32_t keepDays);
  ~DeliveredFiles();
  DeliveredFiles(const DeliveredFiles&) = delete;
  DeliveredFiles& operator=(const DeliveredFiles&) = delete;

  // The delivered mail at this index of the run leaves the queue (soon, on the worker).
  void Take(std::size_t index, const std::filesystem::path& file);
  // Waits until every file given has left the queue. One that could not stays queued, and its
  // failure goes into the report: it was sent, and must not look new.
  void Finish(DeliveryReport& report);

 private:
  struct Job {
    std::size_t index;
    std::filesystem::path file;
  };
  void Work();
  std::string Retire(const std::filesystem::path& file);
  void Prune(const std::filesystem::path& mailBox);

  const std::uint32_t keepDays_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool finishing_ = false;
  std::vector<std::pair<std::size_t, std::string>> failures_;  // guarded by mutex_
  // The worker's own: the sent folders it has made, the mail boxes it has pruned.
  std::set<std::filesystem::path> madeFolders_;
  std::set<std::filesystem::path> prunedBoxes_;
  std::thread worker_;
};

// Removes the sent mails of every list in the mail box that were sent more than `keepDays` days
// before `now` (by the time they were sent, which their files carry).
void PruneSentMails(const std::filesystem::path& mailBox, std::uint32_t keepDays,
                    std::filesystem::file_time_type now);

}  // namespace tarnwick
