#include <array>

#include "cli/cli_commands.h"
#include "core/results/bounce_review.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {
namespace {

const char* MembershipWord(Membership membership) {
  switch (membership) {
    case Membership::Member:
      return "member";
    case Membership::NonMember:
      return "non-member";
    case Membership::Unknown:
      break;
  }
  return "unknown";
}

}  // namespace

Outcome Bounces(const Args& args, const SettingsStore& store, std::ostream& out,
                std::ostream& err) {
  constexpr std::array<OptionRule, 3> kOptions{
      {{"min-days", OptionKind::Value}, {"all", OptionKind::Flag}, {"list", OptionKind::Value}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().empty()) {
    return Failure{"bounces takes one or more mailboxes", kBadArguments};
  }
  const CommonSettings common = CommonSettings::Load(store);
  std::uint32_t minDays = common.Number(kBounceDays);
  if (options->Has("min-days")) {
    const std::optional<std::uint32_t> typed = ParseUnsignedNumber(options->Raw("min-days"));
    if (const Refusal refusal = CheckNumberSetting(kBounceDays, typed)) {
      return Failure{"--min-days: " + *refusal, kBadArguments};
    }
    minDays = *typed;
  }
  std::optional<MemberCheck> members;
  if (options->Has("list")) {
    MailingListRegister lists = LoadRegister(store);
    const MailingList* list = FindList(lists, options->Raw("list"), failure);
    if (list == nullptr) return failure;
    members.emplace(LatestRoster(CollectResults(ReadMailBox(store), lists, list), *list));
    if (!members->known()) err << "no member roster of the list yet: membership unknown\n";
  }
  BounceTally tally;
  const MailboxesRead read =
      TallyMailboxes(options->positional(), ReadIncomingSettings(common), tally);
  for (const AddressTally& address : tally.Result(minDays)) {
    if (!address.proposed && !options->Has("all")) continue;
    out << address.address << '\t' << (address.permanent ? "permanent" : "temporary") << '\t'
        << address.reports << '\t' << FormatDay(address.first) << '\t' << FormatDay(address.last)
        << '\t' << address.lastStatus;
    if (members) out << '\t' << MembershipWord(members->Of(address.address));
    out << '\n';
  }
  if (!read.failure.empty()) return Failure{read.failure, kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
