// Composing the complete text of a command mail from plain inputs: the header lines, the
// "X-Command:" line, an empty line and the command's body for the list's server kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compose/command_catalogue.h"
#include "store/mailing_list.h"

namespace tarnwick {

// What the plates collect, as CP932 text. Each command reads only its own fields.
struct CommandInput {
  std::vector<std::string> addresses;  // address lists, in the list's (sorted) order
  std::string address;                 // initpassword, matome
  std::string oldValue;                // chaddr: old address; rename: old file name
  std::string newValue;                // chaddr: new address; rename: new file name
  int choice = 0;            // chaddr keyword 0-2; config 0 fetch, 1 send; log 0 latest, 1 all;
                             // pgp 0 add key, 1 get keys
  std::string mode;          // matome
  std::string newPassword;   // newpassword, initpassword
  std::string file;          // get, put, remove: name on the server; newinfo, newguide, newintro,
                             // config: the local file; pgp: the key file
  std::string localFile;     // put: the local file to upload
  std::string option;        // filelist
  std::string article;       // unlink
  std::uint32_t count = 10;  // log, latest
};

enum class ComposeStatus {
  Composed,
  NothingToQueue,  // the command lacks its input: an empty address list, a missing chaddr address
  NotOffered,      // the list's server kind has no such command
  Refused,         // a value the server would not take as meant; the reason says which and why
};

struct ComposeResult {
  ComposeStatus status = ComposeStatus::NothingToQueue;
  std::string reason;  // Refused: the message for the administrator, in UTF-8
};

// Replaces `text` by the whole mail when the status is Composed; leaves it empty otherwise.
ComposeResult BuildMail(CommandId id, const MailingList& list, const CommandInput& input,
                        std::string& text);

}  // namespace tarnwick
