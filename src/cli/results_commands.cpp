#include <array>

#include "cli/cli_commands.h"
#include "cli/cli_output.h"
#include "core/platform/text_codec.h"
#include "core/results/reply_matching.h"
#include "core/results/sent_results.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {

std::string NoRosterMessage(const MailingList& list) {
  return Cp932ToUtf8(list.Title) +
         ": no member roster yet: send who (Majordomo) or members (fml), then fetch";
}

Outcome Fetch(const Args& args, const SettingsStore& store, std::ostream& out) {
  if (!args.empty()) return Failure{"fetch takes no arguments", kBadArguments};
  const CommonSettings common = CommonSettings::Load(store);
  const FetchReport report =
      FetchMatchedReplies(ReadIncomingSettings(common), common.Text(kMailBox), LoadRegister(store));
  out << report.read << " read, " << report.kept << " kept, " << report.matched << " matched";
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
    out << LocalTime(result.sent, "%Y-%m-%d %H:%M:%S") << '\t'
        << TabField(Cp932ToUtf8(result.list->Title)) << '\t' << TabField(result.mail.title) << '\t'
        << Cp932ToUtf8(result.fileName) << '\t' << StateText(result.outcome.state) << '\t'
        << TabField(words) << '\n';
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
      LatestRoster(CollectResults(ReadMailBox(store), lists, list), *list);
  if (!roster) return Failure{NoRosterMessage(*list), kFailed};
  if (options->Has("csv")) {
    out << RosterCsv(*roster);
  } else {
    for (const std::string& address : roster->members)
      out << address << '\n';
  }
  err << "roster of " << LocalTime(roster->date, "%Y-%m-%d %H:%M:%S") << '\n';
  return std::nullopt;
}

}  // namespace tarnwick::cli
