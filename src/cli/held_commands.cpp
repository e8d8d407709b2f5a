#include <set>

#include "cli/cli_commands.h"
#include "core/compose/mail_queue.h"
#include "core/moderation/held_answer.h"
#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {
namespace {

std::string_view AnswerWord(HeldAnswer answer) {
  switch (answer) {
    case HeldAnswer::Approve:
      return "approve";
    case HeldAnswer::Reject:
      return "reject";
    case HeldAnswer::Discard:
      return "discard";
  }
  return "";
}

// The ids named, each once; every one must be an item that waits, or nothing is answered.
std::optional<std::vector<std::uint64_t>> WaitingIds(const Args& ids, const HeldStore& held,
                                                     Failure& failure) {
  std::vector<std::uint64_t> waiting;
  std::string refused;
  for (const std::string& text : ids) {
    const std::optional<std::uint32_t> id = ParseNumber(text, "held item number", failure);
    if (!id) return std::nullopt;
    const HeldItem* item = held.ItemOfId(*id);
    if (item == nullptr) {
      refused += "#" + text + " という保留項目はありません\n";
    } else if (item->state != HeldState::Pending) {
      refused +=
          "#" + text + " はすでに応答済みです (" + std::string(HeldStateText(item->state)) + ")\n";
    } else if (std::find(waiting.begin(), waiting.end(), *id) == waiting.end()) {
      waiting.push_back(*id);
    }
  }
  if (refused.empty()) return waiting;
  refused.pop_back();
  failure = Failure{refused + "\nnothing was queued", kFailed};
  return std::nullopt;
}

}  // namespace

Outcome AnswerHeld(HeldAnswer answer, const Args& args, const SettingsStore& store,
                   std::ostream& out, std::ostream& err) {
  constexpr std::array<OptionRule, 1> kOptions{{{"reason", OptionKind::Value}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(
      args, answer == HeldAnswer::Reject ? kOptions : std::span<const OptionRule>(), failure);
  if (!options) return failure;
  if (options->positional().empty())
    return Failure{std::string(AnswerWord(answer)) + " takes held item numbers", kBadArguments};
  AnswerInput input;
  if (answer == HeldAnswer::Reject) {
    const std::optional<std::string> reason = options->Optional("reason", failure);
    if (!reason) return failure;
    input.reason = *reason;
  }
  const CommonSettings common = CommonSettings::Load(store);
  input.rejectTemplate = common.Text(kRejectTemplate);
  const std::string mailBox = ReadMailBox(store);
  std::string why;
  std::optional<HeldStore> held = HeldStore::Open(mailBox, why);
  if (!held) return Failure{why, kFailed};
  const std::optional<std::vector<std::uint64_t>> ids =
      WaitingIds(options->positional(), *held, failure);
  if (!ids) return failure;
  MailingListRegister lists = LoadRegister(store);
  for (std::size_t i = 0; answer != HeldAnswer::Discard && i < lists.size(); ++i)
    LoadPassword(lists.at(i));
  MailQueue queue(mailBox);
  bool allAnswered = true;
  for (const ItemAnswered& item : AnswerItems(answer, *ids, *held, lists, queue, input)) {
    if (!item.warning.empty()) err << '#' << item.id << ": " << item.warning << '\n';
    if (item.refusal) {
      err << '#' << item.id << ": " << *item.refusal << '\n';
      allAnswered = false;
      continue;
    }
    out << item.id;
    for (const std::string& path : item.queued)
      out << '\t' << Cp932ToUtf8(path);
    out << '\n';
  }
  if (!allAnswered) return Failure{"some items were not answered", kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
