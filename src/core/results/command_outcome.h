// What became of a sent command mail: waiting for its reply, done, or failed with the server's
// own words, from the replies that answer it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/results/server_reply.h"

namespace tarnwick {

// A sent command mail as its file tells it.
struct SentMail {
  std::string title;                  // the X-Command value
  std::string server;                 // its To: the server's command address
  std::string token;                  // of its subject
  std::string messageId;              // "<...>"
  bool fml = false;                   // its commands are fml's "# " lines
  std::vector<std::string> commands;  // the command lines the server should echo
};

// Nothing for a file that is no command mail of ours (no token in its subject).
std::optional<SentMail> ReadSentMail(std::string_view bytes);

// Whether the reply answers this mail: it comes from the server the mail went to (its From or
// Reply-To), and names the mail: Majordomo's by our subject's token, fml's by our Message-ID.
bool Answers(const ServerReply& reply, const SentMail& mail);

enum class CommandState { Waiting, Done, Failed };

struct CommandOutcome {
  CommandState state = CommandState::Waiting;
  std::vector<std::string> failures;  // one per failed line: the command and the server's words
  std::optional<std::vector<std::string>> roster;  // a who or members reply's addresses
};

// The outcome from the replies that answer the mail (any order, repeats allowed).
CommandOutcome OutcomeOf(const SentMail& mail, const std::vector<const ServerReply*>& replies);

// "待機中", "完了", "失敗".
std::string_view StateText(CommandState state);

}  // namespace tarnwick
