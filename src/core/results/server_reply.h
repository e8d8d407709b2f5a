// A list server's reply to a command mail, read: which mail it answers, each command line it
// echoed with the lines of its result, and the member roster a who or members command gave.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct EchoedCommand {
  std::string line;                 // as the server echoed it, without its marker (UTF-8)
  std::vector<std::string> result;  // the lines the server wrote for it, empty ones left out
  bool failed = false;              // the server's words say it was not done
};

enum class ReplyKind {
  MajordomoResults,  // "Majordomo results: <our subject>", sections after ">>>> "
  FmlStatus,         // fml's status report, sections after ">>> "
  FmlMembers,        // fml's answer to members (or actives): the addresses
};

struct ServerReply {
  ReplyKind kind = ReplyKind::MajordomoResults;
  std::vector<std::string> senders;                // the addresses of its From and Reply-To
  std::string token;                               // Majordomo: the token of our subject
  std::string references;                          // fml: the Message-IDs it answers
  std::vector<EchoedCommand> commands;             // in the order the server took them
  std::optional<std::vector<std::string>> roster;  // who / members: each address once
};

// Nothing for a mail that is no such reply (or too large or broken to be read).
std::optional<ServerReply> ReadServerReply(std::string_view mail);

}  // namespace tarnwick
