// A sent command mail and the replies that come back for it: the input is the sent mail, then
// each reply after a line "%%". A reply that came twice changes nothing.
#include <cstddef>
#include <cstdint>

#include "core/results/command_outcome.h"
#include "core/results/server_reply.h"
#include "fuzz_support.h"

namespace {

using tarnwick::CommandOutcome;
using tarnwick::CommandState;
using tarnwick::fuzz::Require;

void CheckOutcome(const CommandOutcome& outcome) {
  Require((outcome.state == CommandState::Failed) == !outcome.failures.empty(),
          "a failed mail says why, and only a failed one");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> pieces =
      tarnwick::fuzz::Pieces(tarnwick::fuzz::AsText(data, size), "\n%%\n");
  std::vector<tarnwick::ServerReply> replies;
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    if (std::optional<tarnwick::ServerReply> reply = tarnwick::ReadServerReply(pieces[i]))
      replies.push_back(std::move(*reply));
  }
  const std::optional<tarnwick::SentMail> sent = tarnwick::ReadSentMail(pieces[0]);
  if (!sent) return 0;
  std::vector<const tarnwick::ServerReply*> answers;
  for (const tarnwick::ServerReply& reply : replies) {
    if (tarnwick::Answers(reply, *sent)) answers.push_back(&reply);
  }
  const CommandOutcome outcome = tarnwick::OutcomeOf(*sent, answers);
  CheckOutcome(outcome);

  std::vector<const tarnwick::ServerReply*> twice;
  for (const tarnwick::ServerReply* reply : answers)
    twice.insert(twice.end(), {reply, reply});
  const CommandOutcome again = tarnwick::OutcomeOf(*sent, twice);
  Require(again.state == outcome.state && again.failures == outcome.failures &&
              again.roster == outcome.roster,
          "a reply that came twice changes nothing");
  return 0;
}
