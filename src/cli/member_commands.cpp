#include <array>
#include <ctime>
#include <functional>

#include "cli/cli_commands.h"
#include "cli/cli_output.h"
#include "core/compose/address_text.h"
#include "core/members/member_mails.h"
#include "core/members/member_removal.h"
#include "core/members/member_search.h"
#include "core/members/roster_sync.h"
#include "core/platform/local_time.h"
#include "core/platform/text_codec.h"
#include "core/results/roster_cache.h"
#include "core/results/sent_results.h"
#include "core/store/common_settings.h"

namespace tarnwick::cli {
namespace {

std::string Title(const MailingList& list) {
  return TabField(Cp932ToUtf8(list.Title));
}

std::string Joined(const std::vector<std::string>& addresses) {
  std::string text;
  for (const std::string& address : addresses)
    text += (text.empty() ? "" : " ") + address;
  return text;
}

void NameWithoutRoster(const std::vector<const MailingList*>& lists, std::string_view why,
                       std::ostream& err) {
  for (const MailingList* list : lists)
    err << "no roster yet: " << Cp932ToUtf8(list->Title) << ": " << why << '\n';
}

void NameAdminKept(const MailingList& list, std::ostream& err) {
  err << Cp932ToUtf8(list.Title) << ": the administrator's own address " << list.Admin
      << " is kept (fml takes commands from members only)\n";
}

// Composes every mail first, so a refusal queues nothing, then queues them; prints a line each.
Outcome QueueAndPrint(const SettingsStore& store, const MailingListRegister& lists,
                      const MailingList& list, CommandId command,
                      const std::vector<std::string>& addresses,
                      const std::function<void(const MemberMail&)>& print) {
  MailingList withPassword = list;
  LoadPassword(withPassword);
  MemberMails mails = ComposeMemberMails(withPassword, command, addresses, LimitsOf(list));
  if (mails.refusal) return Failure{Cp932ToUtf8(list.Title) + ": " + *mails.refusal, kFailed};
  const Refusal failure = QueueMemberMails(ReadMailBox(store), lists, list, mails);
  for (const MemberMail& mail : mails.mails) {
    if (!mail.path.empty()) print(mail);
  }
  if (failure) return Failure{*failure, kFailed};
  return std::nullopt;
}

std::string FileName(const MemberMail& mail) {
  return Cp932ToUtf8(mail.path.substr(mail.path.rfind('/') + 1));
}

}  // namespace

Outcome QueueRemoval(const SettingsStore& store, const MailingListRegister& lists,
                     const MailingList& list, const std::vector<std::string>& addresses,
                     std::ostream& out) {
  return QueueAndPrint(
      store, lists, list, ID_UNSUBSCRIBE_PLATE, addresses, [&](const MemberMail& mail) {
        out << Title(list) << '\t' << FileName(mail) << '\t' << Joined(mail.addresses) << '\n';
      });
}

Outcome Find(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err) {
  if (args.empty()) return Failure{"find takes one or more addresses or patterns", kBadArguments};
  std::vector<AddressPattern> patterns;
  for (const std::string& arg : args)
    patterns.emplace_back(arg);
  const MailingListRegister lists = LoadRegister(store);
  const MemberSearch found = SearchMembers(ReadMailBox(store), lists, std::move(patterns));
  for (const MemberHit& hit : found.hits) {
    out << Title(*hit.list) << '\t' << hit.address << '\t'
        << FormatLocalTime(hit.rosterDate, "%Y-%m-%d %H:%M:%S") << '\n';
  }
  NameWithoutRoster(found.withoutRoster, "not searched", err);
  if (found.hits.empty()) return Failure{"no member found", kFailed};
  return std::nullopt;
}

Outcome Remove(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err) {
  constexpr std::array<OptionRule, 2> kOptions{
      {{"dry-run", OptionKind::Flag}, {"unknown-too", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().empty()) return Failure{"remove takes addresses", kBadArguments};
  MailingListRegister lists = LoadRegister(store);
  const RemovalPlan plan =
      PlanRemoval(ReadMailBox(store), lists, options->positional(), options->Has("unknown-too"));
  if (plan.refusal) return Failure{*plan.refusal, kBadArguments};
  NameWithoutRoster(plan.withoutRoster,
                    options->Has("unknown-too") ? "sent all the addresses"
                                                : "nothing sent (--unknown-too sends anyway)",
                    err);
  for (const MailingList* list : plan.adminKept)
    NameAdminKept(*list, err);
  for (const ListRemoval& removal : plan.removals) {
    if (options->Has("dry-run")) {
      out << Title(*removal.list) << "\t-\t" << Joined(removal.addresses) << '\n';
      continue;
    }
    if (Outcome failed = QueueRemoval(store, lists, *removal.list, removal.addresses, out))
      return failed;
  }
  if (plan.removals.empty()) err << "no list holds the addresses: nothing queued\n";
  return std::nullopt;
}

namespace {

void PrintPlan(const SyncPlan& plan, std::ostream& out) {
  for (const std::string& address : plan.add)
    out << '+' << address << '\n';
  for (const std::string& address : plan.remove)
    out << '-' << address << '\n';
}

Outcome QueueSync(const SettingsStore& store, const MailingListRegister& lists,
                  const MailingList& list, const SyncPlan& plan, std::ostream& out) {
  const auto print = [&](std::string_view word) {
    return [&out, word](const MemberMail& mail) {
      out << FileName(mail) << '\t' << word << '\t' << mail.addresses.size() << '\n';
    };
  };
  // The missing first: a failure half-way then never leaves the list short of members.
  if (!plan.add.empty()) {
    if (Outcome failed =
            QueueAndPrint(store, lists, list, ID_SUBSCRIBE_PLATE, plan.add, print("subscribe"))) {
      return failed;
    }
  }
  if (plan.remove.empty()) return std::nullopt;
  return QueueAndPrint(store, lists, list, ID_UNSUBSCRIBE_PLATE, plan.remove, print("unsubscribe"));
}

}  // namespace

Outcome Sync(const Args& args, const SettingsStore& store, std::ostream& out, std::ostream& err) {
  constexpr std::array<OptionRule, 2> kOptions{
      {{"dry-run", OptionKind::Flag}, {"yes", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().size() != 2)
    return Failure{"sync takes a list title and a file", kBadArguments};
  MailingListRegister lists = LoadRegister(store);
  const MailingList* list = FindList(lists, options->positional()[0], failure);
  if (list == nullptr) return failure;
  const std::optional<std::string> path =
      ArgumentToCp932(options->positional()[1], "the file name", failure);
  if (!path) return failure;
  const AddressText wanted = ReadAddressFile(*path, list->Type, AddressTextRule::OnePerLine);
  const std::optional<Roster> roster = CachedLatestRoster(ReadMailBox(store), lists, *list);
  const SyncPlan plan = PlanSync(*list, roster, wanted, std::time(nullptr));
  if (plan.refusal) return Failure{*plan.refusal, kFailed};
  if (plan.adminKept) NameAdminKept(*list, err);
  for (const std::string& caution : plan.cautions)
    err << caution << '\n';
  if (options->Has("dry-run")) {
    PrintPlan(plan, out);
    return std::nullopt;
  }
  if (!plan.cautions.empty() && !options->Has("yes"))
    return Failure{"nothing queued: --yes syncs all the same", kFailed};
  if (plan.add.empty() && plan.remove.empty())
    err << "the list holds the file's addresses already\n";
  return QueueSync(store, lists, *list, plan, out);
}

}  // namespace tarnwick::cli
