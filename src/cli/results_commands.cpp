#include <array>

#include "cli/cli_commands.h"
#include "cli/cli_output.h"
#include "core/analyze/mime_mail.h"
#include "core/compose/command_names.h"
#include "core/moderation/held_answer.h"
#include "core/moderation/held_collect.h"
#include "core/moderation/held_store.h"
#include "core/moderation/held_view.h"
#include "core/platform/local_time.h"
#include "core/platform/text_codec.h"
#include "core/results/reply_matching.h"
#include "core/results/roster_cache.h"
#include "core/results/sent_results.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {

std::string NoRosterMessage(const MailingList& list) {
  return Cp932ToUtf8(list.Title) +
         ": no member roster yet: send who (Majordomo) or members (fml), then fetch";
}

namespace {

std::string_view KindWord(HeldKind kind) {
  switch (kind) {
    case HeldKind::Post:
      return "post";
    case HeldKind::Subscribe:
      return "subscribe";
    case HeldKind::Unsubscribe:
      return "unsubscribe";
  }
  return "";
}

}  // namespace

Outcome Fetch(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (!args.empty()) return Failure{"fetch takes no arguments", kBadArguments};
  const CommonSettings common = CommonSettings::Load(store);
  const std::string mailBox = common.Text(kMailBox);
  const MailingListRegister lists = LoadRegister(store);
  const FetchReport report = FetchMatchedReplies(ReadIncomingSettings(common), mailBox, lists,
                                                 HeldNoticeCollector(mailBox, lists));
  out << report.read << " read, " << report.kept << " kept, " << report.matched << " matched";
  if (report.collected != 0) out << ", " << report.collected << " held notices";
  if (report.tooLarge != 0) out << ", " << report.tooLarge << " passed over as too large";
  out << '\n';
  if (!report.failure.empty()) return Failure{report.failure, kFailed};
  return std::nullopt;
}

Outcome Results(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (args.size() > 1) return Failure{"results takes at most a list title", kBadArguments};
  MailingListRegister lists = LoadRegister(store);
  const MailingList* only = nullptr;
  Failure failure;
  if (!args.empty() && (only = FindList(lists, args[0], failure)) == nullptr) return failure;
  for (const SentResult& result : CollectResults(ReadMailBox(store), lists, only)) {
    std::string words;
    for (const std::string& line : result.outcome.failures)
      words += (words.empty() ? "" : " / ") + line;
    out << FormatLocalTime(result.sent, "%Y-%m-%d %H:%M:%S") << '\t'
        << TabField(Cp932ToUtf8(result.list->Title)) << '\t'
        << TabField(CommandTitleText(result.mail.title)) << '\t' << Cp932ToUtf8(result.fileName)
        << '\t' << StateText(result.outcome.state) << '\t' << TabField(words) << '\n';
  }
  return std::nullopt;
}

Outcome Members(const Args& args, const SettingsStore& store, std::ostream& out,
                std::ostream& err) {
  constexpr std::array<OptionRule, 1> kOptions{{{"csv", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().size() != 1)
    return Failure{"members takes a list title", kBadArguments};
  MailingListRegister lists = LoadRegister(store);
  const MailingList* list = FindList(lists, options->positional()[0], failure);
  if (list == nullptr) return failure;
  const std::optional<Roster> roster =
      CachedLatestRoster(ReadMailBox(store), lists, *list);
  if (!roster) return Failure{NoRosterMessage(*list), kFailed};
  if (options->Has("csv")) {
    out << RosterCsv(*roster);
  } else {
    for (const std::string& address : roster->members)
      out << address << '\n';
  }
  err << "roster of " << FormatLocalTime(roster->date, "%Y-%m-%d %H:%M:%S") << '\n';
  return std::nullopt;
}

Outcome Held(const Args& args, const SettingsStore& store, std::ostream& out) {
  constexpr std::array<OptionRule, 1> kOptions{{{"all", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().size() > 1)
    return Failure{"held takes at most a list title", kBadArguments};
  MailingListRegister lists = LoadRegister(store);
  const MailingList* only = nullptr;
  if (!options->positional().empty() &&
      (only = FindList(lists, options->positional()[0], failure)) == nullptr)
    return failure;
  std::string why;
  const std::string mailBox = ReadMailBox(store);
  std::optional<HeldStore> held = HeldStore::Open(mailBox, why);
  if (!held) return Failure{why, kFailed};
  SettleSentAnswers(*held, mailBox, lists);
  for (const HeldItem& item : held->items()) {
    if ((only != nullptr && !IsOfList(item, *only)) ||
        (!options->Has("all") && item.state != HeldState::Pending))
      continue;
    out << item.id << '\t' << TabField(HeldListTitle(item, lists)) << '\t' << KindWord(item.kind)
        << '\t' << TabField(DecodedHeaderText(item.sender)) << '\t'
        << TabField(DecodedHeaderText(item.subject)) << '\t'
        << FormatLocalTime(item.date.value_or(item.arrived), "%Y-%m-%d %H:%M:%S") << '\t'
        << TabField(item.reason) << '\t' << HeldStateText(item.state) << '\n';
  }
  return std::nullopt;
}

}  // namespace tarnwick::cli
