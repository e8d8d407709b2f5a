#include <array>
#include <ctime>

#include "cli/cli_commands.h"
#include "core/platform/text_codec.h"
#include "core/results/reply_matching.h"
#include "core/results/sent_results.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {
namespace {

std::string LocalTime(std::time_t time, const char* format) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

// A field of a tab-separated line: its own tabs and line breaks become spaces.
std::string Field(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

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
        << Field(Cp932ToUtf8(result.list->Title)) << '\t' << Field(result.mail.title) << '\t'
        << Cp932ToUtf8(result.fileName) << '\t' << StateText(result.outcome.state) << '\t'
        << Field(words) << '\n';
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
  if (!roster) {
    return Failure{"no member roster yet: send who (Majordomo) or members (fml), then fetch",
                   kFailed};
  }
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
