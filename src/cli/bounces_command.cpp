#include <array>

#include "cli/cli_commands.h"
#include "core/members/member_removal.h"
#include "core/platform/text_codec.h"
#include "core/results/bounce_review.h"
#include "core/results/roster_cache.h"
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

namespace {

struct ReviewedList {
  const MailingList* list;
  MemberCheck members;
};

std::optional<std::uint32_t> MinDays(const Options& options, const CommonSettings& common,
                                     Failure& failure) {
  if (!options.Has("min-days")) return common.Number(kBounceDays);
  const std::optional<std::uint32_t> typed = ParseUnsignedNumber(options.Raw("min-days"));
  if (const Refusal refusal = CheckNumberSetting(kBounceDays, typed)) {
    failure = {"--min-days: " + *refusal, kBadArguments};
    return std::nullopt;
  }
  return typed;
}

void PrintTally(const std::vector<AddressTally>& rows, const std::vector<ReviewedList>& lists,
                bool all, std::ostream& out) {
  for (const AddressTally& address : rows) {
    if (!address.proposed && !all) continue;
    out << address.address << '\t' << (address.permanent ? "permanent" : "temporary") << '\t'
        << address.reports << '\t' << FormatDay(address.first) << '\t' << FormatDay(address.last)
        << '\t' << address.lastStatus;
    for (const ReviewedList& list : lists)
      out << '\t' << MembershipWord(list.members.Of(address.address));
    out << '\n';
  }
}

// The proposed removals that are members of each list, queued as its unsubscribe.
Outcome QueueRemovals(const std::vector<AddressTally>& rows, const std::vector<ReviewedList>& lists,
                      const SettingsStore& store, const MailingListRegister& registered,
                      std::ostream& out, std::ostream& err) {
  for (const ReviewedList& reviewed : lists) {
    if (!reviewed.members.known()) return Failure{NoRosterMessage(*reviewed.list), kFailed};
    std::vector<std::string> members;
    for (const AddressTally& address : rows) {
      if (address.proposed && reviewed.members.Of(address.address) == Membership::Member &&
          !IsKeptAdministrator(*reviewed.list, address.address)) {
        members.push_back(address.address);
      }
    }
    if (members.empty()) {
      err << Cp932ToUtf8(reviewed.list->Title) << ": no member to remove\n";
    } else if (Outcome failed = QueueRemoval(store, registered, *reviewed.list, members, out)) {
      return failed;
    }
  }
  return std::nullopt;
}

}  // namespace

Outcome Bounces(const Args& args, const SettingsStore& store, std::ostream& out,
                std::ostream& err) {
  constexpr std::array<OptionRule, 4> kOptions{{{"min-days", OptionKind::Value},
                                                {"all", OptionKind::Flag},
                                                {"list", OptionKind::Repeated},
                                                {"queue", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().empty()) {
    return Failure{"bounces takes one or more mailboxes", kBadArguments};
  }
  if (options->Has("queue") && !options->Has("list"))
    return Failure{"bounces --queue takes the lists to remove members from (--list)",
                   kBadArguments};
  const CommonSettings common = CommonSettings::Load(store);
  const std::optional<std::uint32_t> minDays = MinDays(*options, common, failure);
  if (!minDays) return failure;
  MailingListRegister registered = LoadRegister(store);
  std::vector<ReviewedList> lists;
  for (const std::string& title : options->All("list", failure).value_or(Args{})) {
    const MailingList* list = FindList(registered, Cp932ToUtf8(title), failure);
    if (list == nullptr) return failure;
    lists.push_back({list, MemberCheck(CachedLatestRoster(ReadMailBox(store), registered, *list))});
    if (!lists.back().members.known() && !options->Has("queue"))
      err << Cp932ToUtf8(list->Title) << ": no member roster of the list yet: membership unknown\n";
  }
  BounceTally tally;
  const MailboxesRead read =
      TallyMailboxes(options->positional(), ReadIncomingSettings(common), tally);
  const std::vector<AddressTally> rows = tally.Result(*minDays);
  if (options->Has("queue")) {
    // Removals from part of the returned mails could drop someone a later mail clears.
    if (!read.failure.empty()) return Failure{read.failure + "\nnothing queued", kFailed};
    return QueueRemovals(rows, lists, store, registered, out, err);
  }
  PrintTally(rows, lists, options->Has("all"), out);
  if (!read.failure.empty()) return Failure{read.failure, kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
