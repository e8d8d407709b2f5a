#include <array>

#include "analyze/bounce_tally.h"
#include "cli/cli_commands.h"
#include "incoming/imap_mailbox.h"
#include "results/sent_results.h"
#include "store/common_settings.h"

namespace tarnwick::cli {
namespace {

// "member" or "non-member" by the list's latest roster; "unknown" before the list has one.
class MembershipColumn {
 public:
  MembershipColumn(const SettingsStore& store, const MailingListRegister& lists,
                   const MailingList& list) {
    if (const std::optional<Roster> roster =
            LatestRoster(CollectResults(ReadMailBox(store), lists, &list), list)) {
      lookup_.emplace(*roster);
    }
  }
  bool known() const { return lookup_.has_value(); }
  const char* Of(const std::string& address) const {
    if (!lookup_) return "unknown";
    return lookup_->Holds(address) ? "member" : "non-member";
  }

 private:
  std::optional<RosterLookup> lookup_;
};

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
  std::optional<MembershipColumn> membership;
  if (options->Has("list")) {
    MailingListRegister lists = LoadRegister(store);
    const MailingList* list = FindList(lists, options->Raw("list"), failure);
    if (list == nullptr) return failure;
    membership.emplace(store, lists, *list);
    if (!membership->known()) err << "no member roster of the list yet: membership unknown\n";
  }
  BounceTally tally;
  std::string unreadable;
  for (const std::string& mailbox : options->positional()) {
    const std::string why =
        ReadAnyMailbox(mailbox, ReadIncomingSettings(common),
                       [&](std::string_view mail) { tally.Add(ReadReturnedReport(mail)); });
    if (!why.empty()) unreadable += (unreadable.empty() ? "" : "; ") + why;
  }
  for (const AddressTally& address : tally.Result(minDays)) {
    if (!address.proposed && !options->Has("all")) continue;
    out << address.address << '\t' << (address.permanent ? "permanent" : "temporary") << '\t'
        << address.reports << '\t' << FormatDay(address.first) << '\t' << FormatDay(address.last)
        << '\t' << address.lastStatus;
    if (membership) out << '\t' << membership->Of(address.address);
    out << '\n';
  }
  if (!unreadable.empty()) return Failure{unreadable, kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
