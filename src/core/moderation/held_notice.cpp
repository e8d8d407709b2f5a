#include "core/moderation/held_notice.h"

#include <algorithm>

#include "core/analyze/mime_mail.h"
#include "core/analyze/recipients.h"
#include "core/compose/command_words.h"
#include "core/moderation/notice_forms.h"
#include "core/platform/cp932_case.h"
#include "core/platform/mail_address.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

constexpr std::string_view kMask = "****";

// The line of the text that starts at `at`, without its line end.
std::string_view LineFrom(std::string_view text, std::size_t at) {
  std::string_view line = text.substr(at, text.find('\n', at) - at);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// The password of an approval line, masked in place: "Approved: pw", "Approval: pw" (Majordomo,
// fml), "# approval pw forward" (fml). True when the line was one.
bool MaskApproval(std::string& text, std::size_t at) {
  const std::string_view line = LineFrom(text, at);
  for (std::string_view field : {"Approved:", "Approval:"}) {
    if (StartsWithNoCase(line, field)) {
      text.replace(at + field.size(), line.size() - field.size(), " " + std::string(kMask));
      return true;
    }
  }
  const std::string_view command = TrimLeft(line.substr(line.starts_with('#') ? 1 : 0));
  if (!StartsWithNoCase(command, "approval ")) return false;
  const std::size_t word = line.find_first_not_of(' ', line.size() - command.size() + 9);
  if (word == std::string_view::npos) return true;
  const std::size_t end = std::min(line.find(' ', word), line.size());
  text.replace(at + word, end - word, kMask);
  return true;
}

// The passwords of the body's command lines: a command mail the server quoted.
void MaskCommands(std::string& text, std::size_t body, ServerKind server) {
  for (std::size_t at = body; at < text.size();) {
    const std::string_view line = LineFrom(text, at);
    const std::size_t size = line.size();
    text.replace(at, size, MaskedLine(server, line, kMask));
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) return;
    at = end + 1;
  }
}

// Every approval line of the header, and the first line of the body: where the servers look
// for a password, and so where a notice quotes one; with `commands`, the body's command lines.
std::string MaskedPost(std::string_view post, std::optional<ServerKind> commands) {
  std::string text(post);
  // Line by line, as masking changes the lengths.
  for (std::size_t at = 0; at < text.size();) {
    const bool endOfHeader = LineFrom(text, at).empty();
    if (!endOfHeader) MaskApproval(text, at);
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    if (endOfHeader) {
      if (end + 1 < text.size() && !MaskApproval(text, end + 1) && commands)
        MaskCommands(text, end + 1, *commands);
      break;
    }
    at = end + 1;
  }
  return text;
}

void AddMessageId(std::string_view header, std::vector<std::string>& ids) {
  if (std::optional<std::string> id = FieldValue(header, "Message-Id"); id && !id->empty())
    ids.push_back(std::move(*id));
}

std::optional<HeldNotice> Bounce(const RawMail& mail, const NoticeHeader& header) {
  const std::string_view rest = std::string_view(header.subject).substr(7);
  const std::size_t colon = rest.find(':');
  const std::optional<AddressHalves> address = SplitAtSign(Trim(rest.substr(0, colon)));
  if (colon == std::string_view::npos || !address || address->local.empty()) return std::nullopt;
  HeldNotice notice;
  notice.form = NoticeForm::MajordomoBounce;
  notice.list = std::string(address->local);
  notice.host = LowerAscii(address->domain);
  notice.reason = CollapsedBlanks(rest.substr(colon + 1));
  if (notice.reason.find("Invalid 'Approved:' header") != std::string::npos)
    notice.outcome = NoticeOutcome::ApprovalRefused;
  // An administrative request is a command mail sent to the list: its passwords are masked too.
  const bool commands = notice.reason.starts_with("Admin request");
  TakePost(mail.whole ? mail.body : std::string_view(), notice,
           commands ? std::optional(ServerKind::Majordomo) : std::nullopt);
  return notice;
}

// "<requester> requests that you approve the following:", then "<TAB>subscribe <list> <addr>".
std::optional<HeldNotice> Approve(const RawMail& mail, const NoticeHeader& header) {
  HeldNotice notice;
  notice.form = NoticeForm::MajordomoApprove;
  notice.list = Trim(std::string_view(header.subject).substr(8));
  const std::optional<AddressHalves> from = SplitAtSign(header.from);
  if (!from || notice.list.empty()) return std::nullopt;
  notice.host = std::string(from->domain);
  notice.subject = header.subject;
  bool found = false;
  ForEachLine(mail.body, [&](std::string_view line) {
    if (const std::size_t at = line.find(" requests that you approve"); at != line.npos) {
      notice.requester = Trim(line.substr(0, std::min<std::size_t>(at, 256)));
      notice.reason = CollapsedBlanks(TrimRight(line.substr(0, 512)).substr(0, line.find(':')));
    } else if (line.starts_with('\t') && !notice.requester.empty()) {
      const std::string words = CollapsedBlanks(line);
      for (auto [verb, kind] : {std::pair{"subscribe ", HeldKind::Subscribe},
                                std::pair{"unsubscribe ", HeldKind::Unsubscribe}}) {
        const std::string start = verb + notice.list + " ";
        if (!StartsWithNoCase(words, start) || words.size() == start.size()) continue;
        notice.kind = kind;
        notice.sender = words.substr(start.size(), 256);
        found = true;
      }
    }
    return !found;
  });
  if (!found) return std::nullopt;
  return notice;
}

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EqualsCp932IgnoreCase(text.substr(0, start.size()), start);
}

std::string CollapsedBlanks(std::string_view text) {
  std::string out;
  for (char c : Trim(text)) {
    const bool blank = kWhiteSpace.find(c) != std::string_view::npos;
    if (!blank) {
      out += c;
    } else if (!out.ends_with(' ')) {
      out += ' ';
    }
  }
  return out;
}

void TakePost(std::string_view post, HeldNotice& notice, std::optional<ServerKind> commands) {
  notice.post = MaskedPost(post, commands);
  const RawMail inner = SplitMail(notice.post);
  notice.postWhole = inner.whole;
  notice.sender = FieldValue(inner.header, "From").value_or("");
  notice.subject = FieldValue(inner.header, "Subject").value_or("");
  if (const std::optional<std::string> date = FieldValue(inner.header, "Date"))
    notice.date = MailDate(*date);
  AddMessageId(inner.header, notice.messageIds);
  // An approval of Majordomo's first-body-line form that came back: the held post follows.
  if (std::optional<std::string_view> held = AfterLine(inner.body, "Approved:");
      held && StartsWithNoCase(inner.body, "Approved:"))
    AddMessageId(SplitMail(*held).header, notice.messageIds);
}

std::optional<HeldNotice> ReadMajordomoNotice(const RawMail& mail, const NoticeHeader& header) {
  std::optional<HeldNotice> notice;
  if (StartsWithNoCase(header.subject, "BOUNCE ")) {
    notice = Bounce(mail, header);
  } else if (StartsWithNoCase(header.subject, "APPROVE ")) {
    notice = Approve(mail, header);
  }
  if (notice) notice->server = ServerKind::Majordomo;
  return notice;
}

std::optional<HeldNotice> ReadHeldNotice(std::string_view mail) {
  if (mail.size() > kMaxReturnedMailBytes) return std::nullopt;
  const RawMail parts = SplitMail(mail);
  NoticeHeader header;
  header.from = LowerAscii(AddressOfField(FieldValue(parts.header, "From").value_or("")));
  header.subject = FieldValue(parts.header, "Subject").value_or("");
  header.contentType = FieldValue(parts.header, "Content-Type").value_or("");
  if (const std::optional<std::string> date = FieldValue(parts.header, "Date"))
    header.date = MailDate(*date);
  if (header.from.empty()) return std::nullopt;
  std::optional<HeldNotice> notice = ReadMajordomoNotice(parts, header);
  if (!notice) notice = ReadFmlNotice(parts, header);
  if (notice) {
    notice->noticeFrom = header.from;
    notice->noticeDate = header.date;
  }
  return notice;
}

std::string HostOf(const MailingList& list) {
  const std::optional<AddressHalves> halves = SplitAtSign(list.Address);
  return halves ? LowerAscii(halves->domain) : std::string();
}

std::vector<std::string> NoticeSenders(const MailingList& list) {
  const std::string host = HostOf(list);
  const std::string name = LowerAscii(list.Name);
  if (host.empty() || name.empty()) return {};
  if (list.Type == ServerKind::Majordomo)
    return {"owner-" + name + "@" + host, "majordomo@" + host};
  if (list.Type == ServerKind::Fml) return {name + "-admin@" + host, name + "-request@" + host};
  return {};
}

const MailingList* ListOfNotice(const HeldNotice& notice, const MailingListRegister& lists) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const MailingList& list = lists.at(i);
    if (list.Type != notice.server || !EqualsCp932IgnoreCase(list.Name, notice.list) ||
        HostOf(list) != LowerAscii(notice.host))
      continue;
    const std::vector<std::string> senders = NoticeSenders(list);
    if (std::find(senders.begin(), senders.end(), notice.noticeFrom) != senders.end()) return &list;
  }
  return nullptr;
}

}  // namespace tarnwick
