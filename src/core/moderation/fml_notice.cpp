// fml's notices to its maintainer or moderators. Their Subjects are fml's own English words on
// every list ("(<list> ML)" after most of them); a Japanese list writes its body's words in
// Japanese (ISO-2022-JP), but the lines read here (the id, the quoted mail) stay as they are.
#include <optional>

#include "core/moderation/notice_forms.h"
#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/mail_address.h"
#include "core/platform/text_codec.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

constexpr std::string_view kForwardStart = "------- Forwarded Message";
constexpr std::string_view kForwardEnd = "------- End of Forwarded Message";

// "... (testlist ML)": the list's name; else the maintainer's address names it
// ("testlist-admin").
std::string ListName(const NoticeHeader& header) {
  const std::string_view subject = TrimRight(header.subject);
  if (subject.ends_with(" ML)")) {
    const std::size_t open = subject.rfind('(');
    if (open != std::string_view::npos)
      return std::string(subject.substr(open + 1, subject.size() - open - 5));
  }
  const std::optional<AddressHalves> from = SplitAtSign(header.from);
  std::string_view local = from ? from->local : std::string_view();
  for (std::string_view suffix : {"-admin", "-request"}) {
    if (local.ends_with(suffix)) local.remove_suffix(suffix.size());
  }
  return std::string(local);
}

// The subject without its "(<list> ML)".
std::string Words(std::string_view subject) {
  const std::size_t tag = subject.rfind(" (");
  return CollapsedBlanks(subject.ends_with(" ML)") ? subject.substr(0, tag) : subject);
}

// The digits and dots at the start of the text: an id of fml's queue (a few dozen at most).
std::string IdAt(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size() && end < 64 && (IsAsciiDigit(text[end]) || text[end] == '.'))
    ++end;
  return std::string(text.substr(0, end));
}

// The body of the message/rfc822 part of a multipart notice, as it came.
std::optional<std::string_view> EnclosedMessage(std::string_view body, std::string_view type) {
  const std::size_t at = type.find("boundary=");
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view boundary = type.substr(at + 9);
  if (boundary.starts_with('"')) boundary = boundary.substr(1, boundary.find('"', 1) - 1);
  boundary = boundary.substr(0, boundary.find_first_of("; \t"));
  if (boundary.empty()) return std::nullopt;
  const std::string delimiter = "--" + std::string(boundary);
  std::optional<std::size_t> part;
  for (std::size_t lineAt = 0; lineAt < body.size();) {
    const std::size_t end = std::min(body.find('\n', lineAt), body.size());
    const std::string_view line = TrimRight(body.substr(lineAt, end - lineAt));
    if (line == delimiter || line == delimiter + "--") {
      if (part) {
        std::string_view content = body.substr(*part, lineAt - *part);
        if (content.ends_with('\n')) content.remove_suffix(1);
        if (content.ends_with('\r')) content.remove_suffix(1);
        const RawMail inner = SplitMail(content);
        if (StartsWithNoCase(FieldValue(inner.header, "Content-Type").value_or(""),
                             "message/rfc822"))
          return inner.body;
      }
      part = end + 1;
    }
    lineAt = end + 1;
  }
  return std::nullopt;
}

// Type 2: the id to certify in the text part, the post enclosed whole.
void Certify(const RawMail& mail, const NoticeHeader& header, HeldNotice& notice) {
  notice.form = NoticeForm::FmlCertify;
  constexpr std::string_view kCertify = "moderator certified ";
  std::size_t at = mail.body.find(kCertify);
  while (at != std::string_view::npos && at != 0 && mail.body[at - 1] != '\n')
    at = mail.body.find(kCertify, at + 1);
  if (at != std::string_view::npos) notice.fmlId = IdAt(mail.body.substr(at + kCertify.size()));
  const std::optional<std::string_view> post = EnclosedMessage(mail.body, header.contentType);
  TakePost(post.value_or(""), notice);
  notice.postWhole = notice.postWhole && post.has_value();
}

// The text after the line `marker` and the empty line after it.
std::optional<std::string_view> QuotedAfter(std::string_view body, std::string_view marker) {
  std::optional<std::string_view> after = AfterLine(body, marker);
  if (after && (after->starts_with("\n") || after->starts_with("\r\n")))
    after = after->substr(after->find('\n') + 1);
  return after;
}

// Type 1, and an approval of that type that failed: the post inline between fml's lines.
void Forwarded(const RawMail& mail, HeldNotice& notice) {
  notice.form = NoticeForm::FmlForwarded;
  const std::optional<std::string_view> after = QuotedAfter(mail.body, kForwardStart);
  TakePost(after ? WithoutTrailingEmptyLines(BeforeLine(*after, kForwardEnd)) : "", notice);
  notice.postWhole = notice.postWhole && after.has_value();
}

// The post quoted with three blanks before each line: a post, or a command mail (whose
// passwords are masked). A non-member's certification is an approval of ours refused.
void NotMember(const RawMail& mail, HeldNotice& notice) {
  notice.form = NoticeForm::FmlNotMember;
  const std::optional<std::string_view> after = QuotedAfter(mail.body, "Original mail as follows:");
  const std::string post = after ? Unindented(*after, 3) : std::string();
  TakePost(WithoutTrailingEmptyLines(post), notice, ServerKind::Fml);
  notice.postWhole = notice.postWhole && after.has_value();
  std::string_view first = TrimLeft(SplitMail(notice.post).body.substr(0, 200));
  if (first.starts_with('#')) first = TrimLeft(first.substr(1));
  if (StartsWithNoCase(first, "moderator certified ")) {
    notice.outcome = NoticeOutcome::ApprovalRefused;
    notice.fmlId = IdAt(first.substr(20));
  }
}

// The address between "<" and ">" after the words, or the word after them.
std::string AddressAfter(std::string_view text, std::string_view words) {
  const std::size_t at = text.find(words);
  if (at == std::string_view::npos) return {};
  std::string_view rest = TrimLeft(text.substr(at + words.size())).substr(0, 256);
  if (rest.starts_with('<')) return std::string(rest.substr(1, rest.find('>') - 1));
  return std::string(rest.substr(0, rest.find_first_of(" \t\r\n")));
}

// A subscription the maintainer is to add: confirmed by the user, or forwarded to the maintainer
// ("<command> request from <address>", fml leaving the command out for a subscription).
bool Subscription(const RawMail& mail, const NoticeHeader& header, HeldNotice& notice) {
  notice.form = NoticeForm::FmlSubscribe;
  notice.subject = header.subject;
  notice.kind = HeldKind::Subscribe;
  notice.sender = AddressAfter(mail.body, "I confirmed subscribe request from");
  if (!notice.sender.empty()) {
    notice.reason = "I confirmed subscribe request from <" + notice.sender + ">.";
    return true;
  }
  const std::string words = Words(header.subject);
  const std::size_t at = words.find("request from ");
  const std::string command = LowerAscii(Trim(std::string_view(words).substr(0, at)));
  if (at == std::string::npos || words.find(' ', at + 13) != std::string::npos) return false;
  if (command == "unsubscribe" || command == "bye" || command == "signoff") {
    notice.kind = HeldKind::Unsubscribe;
  } else if (!command.empty() && command != "subscribe") {
    return false;
  }
  notice.sender = words.substr(at + 13);
  notice.reason = words;
  return notice.sender.find('@') != std::string::npos;
}

// A status report's "no such ID=<id>" (Japanese: "そのようなID=<id>は存在しません。").
bool NoSuchId(const RawMail& mail, HeldNotice& notice) {
  std::string text(mail.body.substr(0, 64 << 10));
  if (text.find('\x1b') != std::string::npos)
    text = ToUtf8(text, Encoding::Iso2022Jp).value_or(text);
  ForEachLine(text, [&](std::string_view line) {
    for (std::string_view words : {"no such ID=", "そのようなID="}) {
      if (const std::size_t at = line.find(words); at != std::string_view::npos) {
        notice.fmlId = IdAt(line.substr(at + words.size()));
        notice.reason = Trim(line.substr(0, 256));
      }
    }
    return notice.fmlId.empty();
  });
  notice.form = NoticeForm::FmlCertify;
  notice.kind = HeldKind::Post;
  notice.outcome = NoticeOutcome::NoSuchId;
  return !notice.fmlId.empty();
}

bool ReadForm(const RawMail& mail, const NoticeHeader& header, HeldNotice& notice) {
  const std::string& subject = header.subject;
  if (StartsWithNoCase(subject, "submission to moderators")) {
    Certify(mail, header, notice);
  } else if (StartsWithNoCase(subject, "Forwarded Message: [MODERATED MODE]")) {
    Forwarded(mail, notice);
  } else if (StartsWithNoCase(subject, "Moderated: Approval FAILED")) {
    Forwarded(mail, notice);
    notice.outcome = NoticeOutcome::ApprovalRefused;
  } else if (StartsWithNoCase(subject, "NOT MEMBER article from") ||
             StartsWithNoCase(subject, "Ignored NOT MEMBER article from")) {
    NotMember(mail, notice);
  } else if (StartsWithNoCase(subject, "moderated article[")) {
    notice.form = NoticeForm::FmlCertify;
    notice.fmlId = IdAt(std::string_view(subject).substr(18));
    notice.outcome = NoticeOutcome::Resent;
    return !notice.fmlId.empty();
  } else if (!Subscription(mail, header, notice)) {
    return NoSuchId(mail, notice);
  }
  return true;
}

}  // namespace

std::optional<HeldNotice> ReadFmlNotice(const RawMail& mail, const NoticeHeader& header) {
  HeldNotice notice;
  notice.server = ServerKind::Fml;
  const std::optional<AddressHalves> from = SplitAtSign(header.from);
  if (!from) return std::nullopt;
  notice.host = std::string(from->domain);
  notice.list = ListName(header);
  notice.reason = Words(header.subject);
  if (notice.list.empty() || !ReadForm(mail, header, notice)) return std::nullopt;
  return notice;
}

}  // namespace tarnwick
