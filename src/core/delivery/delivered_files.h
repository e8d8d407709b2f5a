// Taking delivered mails out of the queue: each goes into the sent folder beside the queue
// folders the moment the server has taken it (and is removed there, when sent mails are not
// kept), so a run killed at any point sends no mail twice but the one in flight. Sent mails older
// than the days they are kept are removed when the run ends.
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
  // `keepDays` 0 removes each delivered file as soon as it has left the queue.
  explicit DeliveredFiles(std::uint32_t keepDays) : keepDays_(keepDays) {}

  // Takes the delivered mail at this index of the run out of the queue. A file that could not
  // leave stays queued, and its failure goes into the report: it was sent, and must not look new.
  void Take(std::size_t index, const std::filesystem::path& file);
  // Puts the failures into the report and removes the sent mails past their days.
  void Finish(DeliveryReport& report);

 private:
  std::string Retire(const std::filesystem::path& file);

  const std::uint32_t keepDays_;
  std::vector<std::pair<std::size_t, std::string>> failures_;
  std::set<std::filesystem::path> madeFolders_;  // the sent folders made so far
  std::set<std::filesystem::path> mailBoxes_;    // those of the files taken
};

// Removes the sent mails of every list in the mail box that were sent more than `keepDays` days
// before `now` (by the time they were sent, which their files carry). Never through a link: a
// sent folder that is one is left alone.
void PruneSentMails(const std::filesystem::path& mailBox, std::uint32_t keepDays,
                    std::filesystem::file_time_type now);

}  // namespace tarnwick
