// Queueing a composed command mail: one new file "RXV<hex>.tmp" in the list's queue folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class QueueStatus {
  Queued,
  InvalidListName,   // the folder, named after the list, is no plain folder name
  FolderNotCreated,  // the queue folder is missing and can't be made
  FolderIsFile,      // a file has the queue folder's name
  WriteFailed,       // the mail could not be written whole; nothing was queued
};

struct QueueOutcome {
  QueueStatus status = QueueStatus::WriteFailed;
  int error = 0;     // errno of a failed step, for the system's text
  std::string path;  // CP932 path of the queued file
};

// Writes the mail byte for byte under a new name in the mail box's folder of that name (a list's
// ListFolders::newMails), creating that folder (one level). The name is taken only together with
// the whole content, so a file matching "RXV*.tmp" always holds a complete mail: a failure or crash
// half-way leaves none.
QueueOutcome QueueMail(std::string_view mailBox, std::string_view folderName,
                       std::string_view mail);

struct MailToQueue {
  std::string folderName;
  std::string_view mail;
};

// Queues many mails as QueueMail queues each, in the order given, with one sync of their
// contents before any takes its name and one of each folder's names after: thousands of mails
// cost no more syncs than one. An outcome for each mail.
std::vector<QueueOutcome> QueueMails(std::string_view mailBox,
                                     const std::vector<MailToQueue>& mails);

// Why a mail was not queued (UTF-8), naming the queue folder (CP932) and the system's reason; empty
// for Queued.
std::string DescribeQueueFailure(const QueueOutcome& outcome, std::string_view folder);

}  // namespace tarnwick
