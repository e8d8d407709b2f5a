#include "core/members/member_mails.h"

#include "core/compose/command_mail.h"
#include "core/compose/list_folders.h"
#include "core/compose/mail_queue.h"
#include "core/compose/queue_folder.h"

namespace tarnwick {
namespace {

// More than any header and fixed lines of a member mail take.
constexpr std::size_t kFixedBytes = 2048;

// What one address adds to a mail: its command line ("approve <password> unsubscribe <list>
// <address>" or "# admin bye <address>") with room to spare.
std::size_t LineBytes(const MailingList& list, const std::string& address) {
  return address.size() + list.Password.size() + list.Name.size() + 32;
}

}  // namespace

MemberMailLimits LimitsOf(const MailingList& list) {
  MemberMailLimits limits;
  if (list.Type == ServerKind::Fml && list.MaxCommands > 1)
    limits.maxCommands = list.MaxCommands - 1;
  return limits;
}

std::vector<std::vector<std::string>> SplitMemberAddresses(
    const MailingList& list, const std::vector<std::string>& addresses,
    const MemberMailLimits& limits) {
  std::vector<std::vector<std::string>> parts;
  std::size_t bytes = 0;
  for (const std::string& address : addresses) {
    const std::size_t line = LineBytes(list, address);
    const bool full =
        !parts.empty() && ((limits.maxCommands != 0 && parts.back().size() >= limits.maxCommands) ||
                           bytes + line > limits.maxBytes);
    if (parts.empty() || full) {
      parts.emplace_back();
      bytes = kFixedBytes;
    }
    parts.back().push_back(address);
    bytes += line;
  }
  return parts;
}

MemberMails ComposeMemberMails(const MailingList& list, CommandId command,
                               const std::vector<std::string>& addresses,
                               const MemberMailLimits& limits) {
  MemberMails composed;
  for (std::vector<std::string>& part : SplitMemberAddresses(list, addresses, limits)) {
    CommandInput input;
    input.addresses = part;
    MemberMail mail{std::move(part), {}, {}};
    const ComposeResult result = BuildMail(command, list, input, mail.text);
    if (result.status != ComposeStatus::Composed) {
      composed.mails.clear();
      composed.refusal = result.reason.empty() ? "ﾒｰﾙが作成できません" : result.reason;
      return composed;
    }
    composed.mails.push_back(std::move(mail));
  }
  return composed;
}

Refusal QueueMemberMails(std::string_view mailBox, const MailingListRegister& lists,
                         const MailingList& list, MemberMails& mails) {
  const ListFolders folders = FoldersOf(lists, list);
  MailQueue queue{std::string(mailBox)};
  for (MemberMail& mail : mails.mails) {
    const QueueOutcome outcome = queue.Add(folders, mail.text);
    if (outcome.status != QueueStatus::Queued)
      return DescribeQueueFailure(outcome, ListQueueFolder(mailBox, folders.newMails).value_or(""));
    mail.path = outcome.path;
  }
  return std::nullopt;
}

}  // namespace tarnwick
