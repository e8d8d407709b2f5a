// Finding queued command mails again: listing a list's queue with titles, and collecting every
// list's queue for delivery.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/compose/list_folders.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

// The title of a queued mail: from its first line, anywhere in the file, whose first ten
// characters are exactly "X-Command:", the text from the twelfth character on. Nothing when the
// file can't be read or has no such line.
std::optional<std::string> QueuedMailTitle(const std::filesystem::path& file);
// The title of a mail held in memory, by the same rule.
std::optional<std::string> MailTitle(std::string_view mail);

struct QueueEntry {
  std::filesystem::path path;
  std::string fileName;  // without folder, CP932
  std::string title;
};

// The titled mails of the list's queue, oldest first; mails without a title are left out.
std::vector<QueueEntry> ListQueue(std::string_view mailBox, const ListFolders& folders);

struct QueuedMail {
  bool delivered = false;
  std::filesystem::path path;
  bool keep = false;  // delivered, but the file must stay queued (and the report says why)
  // The mail's title, taken when the run read the file to send it, so the report needs no
  // second read (and has it after the file is gone). Nothing while the run has not read it.
  std::optional<std::string> title = std::nullopt;
};

// The title of a mail of a run: the one taken as it was sent, else read from its file (a mail
// the run did not reach is still queued); empty when it has none.
std::string TitleOf(const QueuedMail& mail);

// Every queued mail of every list, in register order, each file once.
std::vector<QueuedMail> CollectQueue(std::string_view mailBox, const MailingListRegister& lists);

}  // namespace tarnwick
