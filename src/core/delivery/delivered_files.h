// Taking delivered mails out of the queue: each goes into the sent folder beside the queue
// folders (or is removed, when sent mails are not kept), while the next mail is on the wire.
// Sent mails older than the days they are kept are removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tarnwick {

struct DeliveryReport;

class DeliveredFiles {
 public:
  // `keepDays` 0 removes each delivered file at once.
  explicit DeliveredFiles(std::uint32_t keepDays) : keepDays_(keepDays) {}

  // The delivered mail at this index of the run is to leave the queue.
  void Take(std::size_t index, const std::filesystem::path& file);
  // Takes the files given so far out of the queue: a run calls this while it waits for the
  // server anyway, so the next mail does not wait for the disk.
  void RetireTaken();
  // Takes the rest out. A file that could not leave stays queued, and its failure goes into the
  // report: it was sent, and must not look new.
  void Finish(DeliveryReport& report);

 private:
  struct Taken {
    std::size_t index;
    std::filesystem::path file;
  };
  std::string Retire(const std::filesystem::path& file);

  const std::uint32_t keepDays_;
  std::vector<Taken> taken_;
  std::vector<std::pair<std::size_t, std::string>> failures_;
  std::set<std::filesystem::path> madeFolders_;  // the sent folders made so far
  std::set<std::filesystem::path> prunedBoxes_;  // the mail boxes whose old sent mails are gone
};

// Removes the sent mails of every list in the mail box that were sent more than `keepDays` days
// before `now` (by the time they were sent, which their files carry).
void PruneSentMails(const std::filesystem::path& mailBox, std::uint32_t keepDays,
                    std::filesystem::file_time_type now);

}  // namespace tarnwick
