#include "core/analyze/returned_mail.h"

#include <algorithm>

#include "core/analyze/delivery_status.h"
#include "core/analyze/list_server_notice.h"
#include "core/analyze/notice.h"
#include "core/analyze/recipients.h"
#include "core/analyze/returned_copy.h"

namespace tarnwick {
namespace {

// The mail, and its notices in words that may be read for failures: a mail system sent it, it
// is no warning or success notice, and the notice (its copy of the returned message cut off)
// says no such thing either. Found once, for every recogniser.
struct Reading {
  explicit Reading(const ReturnedMail& returned) : mail(returned) {
    reportsNoFailure =
        std::any_of(mail.deliveryStatuses.begin(), mail.deliveryStatuses.end(), ReportsNoFailure);
    mayReport =
        HeadersShowMailSystemReport(mail.from, mail.subject) && !SubjectSaysNoFailure(mail.subject);
    if (!mayReport) return;
    for (std::size_t i = 0; i < mail.notices.size(); ++i) {
      const std::string_view notice = NoticeBeforeCopy(mail.notices[i]);
      reportsNoFailure = reportsNoFailure || ReportsNoFailure(notice);
      if (SaysNoFailure(notice)) {
        noticeSaysNoFailure = true;
        continue;
      }
      notices.push_back(notice);
      firstReadable = firstReadable || i == 0;
    }
  }

  const ReturnedMail& mail;
  bool mayReport = false;
  // A delivery-status report (a part of its own, or pasted into a notice) that says every
  // delivery was only delayed, or succeeded, is the final word, whatever the words around it say.
  bool reportsNoFailure = false;
  std::vector<std::string_view> notices;
  bool firstReadable = false;        // notices.front() is the mail's first text part
  bool noticeSaysNoFailure = false;  // a notice was left out for saying so
};

// Each recogniser adds the failed recipients it finds; the first that finds any decides.
using Recogniser = void (*)(const Reading&, Recipients&);

void FromStatusReports(const Reading& reading, Recipients& failed) {
  for (const std::string& report : reading.mail.deliveryStatuses)
    ReadDeliveryStatus(report, failed);
}

void FromFailedRecipientsHeader(const Reading& reading, Recipients& failed) {
  std::string_view list = reading.mail.failedRecipientsHeader;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    failed.Add(list.substr(0, comma));
    list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
  }
}

template <void (*Read)(std::string_view, Recipients&)>
void FromNotices(const Reading& reading, Recipients& failed) {
  for (std::string_view notice : reading.notices)
    Read(notice, failed);
}

void FromPlainWords(const Reading& reading, Recipients& failed) {
  // Only the first notice: a second text part is the returned message's own more often than not.
  if (reading.firstReadable)
    ReadPlainNotice(reading.notices.front(), reading.mail.ownAddresses, failed);
}

// "Undeliverable: user@example.jp", when nothing else names the recipient.
void FromSubject(const Reading& reading, Recipients& failed) {
  if (reading.mayReport) ReadPlainNotice(reading.mail.subject, reading.mail.ownAddresses, failed);
}

// A list server's notice of a post it turned away names the address at fault.
void FromListServerAlert(const Reading& reading, Recipients& failed) {
  const ReturnedMail& mail = reading.mail;
  if (!mail.notices.empty() && IsListServerAlert(mail.listServer, mail.from, mail.subject))
    ReadListServerAlert(mail.notices.front(), mail.ownAddresses, failed);
}

// A notice that says a delivery failed and names no address but the sender's: the copy of the
// returned message names the recipient, in a part of its own or after the notice's words. A
// notice that names other addresses, none of them taken, is not second-guessed.
void FromReturnedCopy(const Reading& reading, Recipients& failed) {
  const ReturnedMail& mail = reading.mail;
  // A mail system that calls its mail a failure ("Returned mail", "Undeliverable") says so,
  // however plain the words of its notice.
  const bool failureReport = SenderIsMailSystem(mail.from) && SubjectSaysFailure(mail.subject) &&
                             !reading.noticeSaysNoFailure;
  const bool saysFailure =
      failureReport || std::any_of(reading.notices.begin(), reading.notices.end(), SaysFailure) ||
      (mail.notices.empty() && SaysFailure(mail.subject));
  if (!reading.mayReport || reading.reportsNoFailure || !saysFailure ||
      std::any_of(reading.notices.begin(), reading.notices.end(), [&](std::string_view notice) {
        return NamesOtherAddress(notice, mail.ownAddresses);
      })) {
    return;
  }
  for (const std::string& header : mail.returnedHeaders) {
    failed.Add(CopiedRecipient(header, mail.ownAddresses));
    if (!failed.empty()) return;
  }
  for (const std::string& notice : mail.notices) {
    const std::string_view text = notice;
    failed.Add(CopiedRecipient(text.substr(NoticeBeforeCopy(text).size()), mail.ownAddresses));
    if (!failed.empty()) return;
  }
}

constexpr Recogniser kRecognisers[] = {
    FromStatusReports,
    FromFailedRecipientsHeader,
    FromNotices<ReadDeliveryStatus>,  // a report pasted into the text, or a broken MIME structure
    FromNotices<ReadJsonBounce>,
    FromNotices<ReadBracketedRecipients>,
    FromPlainWords,
    FromSubject,
    FromListServerAlert,
};

}  // namespace

namespace {

// Where the mail starts after the blank lines some mail systems put before the header.
std::size_t HeaderStart(std::string_view mail, char lineEnd) {
  std::size_t start = 0;
  while (start < mail.size()) {
    const std::size_t end = std::min(mail.find(lineEnd, start), mail.size());
    if (mail.find_first_not_of(" \t\r\n", start) < end) break;
    start = end + 1;
  }
  return std::min(start, mail.size());
}

}  // namespace

std::string MendedMail(std::string_view text) {
  const bool crOnly = text.find('\n') == std::string_view::npos;
  std::string mail(text.substr(HeaderStart(text, crOnly ? '\r' : '\n')));
  if (crOnly) std::replace(mail.begin(), mail.end(), '\r', '\n');
  return mail;
}

std::optional<ReturnedMail> ParseForRecognition(std::string_view text) {
  // Most mails need no mending, and are parsed where they are.
  if (text.find('\n') != std::string_view::npos && HeaderStart(text, '\n') == 0)
    return ParseReturnedMail(text);
  return ParseReturnedMail(MendedMail(text));
}

std::vector<std::string> FailedRecipientsOf(const ReturnedMail& mail) {
  if (mail.otherReport) return {};
  Recipients failed;
  const Reading reading(mail);
  const bool reportsNoFailure = reading.reportsNoFailure;
  for (Recogniser recognise : kRecognisers) {
    recognise(reading, failed);
    if (!failed.empty() || reportsNoFailure) return failed.Take();
  }
  // A returned mail forwarded to the administrator: the mail system's report inside it.
  for (const ReturnedMail& enclosed : mail.enclosedReports) {
    std::vector<std::string> inside = FailedRecipientsOf(enclosed);
    if (!inside.empty()) return inside;
  }
  FromReturnedCopy(reading, failed);
  return failed.Take();
}

std::vector<std::string> RecogniseFailedRecipients(std::string_view text) {
  const std::optional<ReturnedMail> mail = ParseForRecognition(text);
  return mail ? FailedRecipientsOf(*mail) : std::vector<std::string>();
}

}  // namespace tarnwick
