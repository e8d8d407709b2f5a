#include "core/analyze/bounce_tally.h"

#include <algorithm>

#include "core/analyze/delivery_status.h"
#include "core/analyze/returned_mail.h"
#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/local_time.h"

namespace tarnwick {
namespace {

// The first "4.x.x" or "5.x.x" enhanced status code of the text.
std::string StatusCodeIn(std::string_view text) {
  for (std::size_t i = 0; i + 5 <= text.size(); ++i) {
    const char c = text[i];
    if ((c != '4' && c != '5') || text[i + 1] != '.' || (i > 0 && IsAsciiAlnum(text[i - 1])))
      continue;
    std::size_t end = i + 2;
    int dots = 1;
    while (end < text.size() && (IsAsciiDigit(text[end]) || text[end] == '.')) {
      dots += text[end] == '.' ? 1 : 0;
      ++end;
    }
    if (dots == 2 && IsAsciiDigit(text[end - 1])) return std::string(text.substr(i, end - i));
  }
  return {};
}

// Words of a notice that mean the mailbox may take mail again later.
bool SpeaksOfAFullMailbox(std::string_view text) {
  const std::string folded = FoldCp932Case(text);
  for (std::string_view words : {"mailbox full", "mailbox is full", "over quota", "quota exceeded",
                                 "exceeded storage", "容量", "いっぱい"}) {
    if (folded.find(words) != std::string::npos) return true;
  }
  return false;
}

// The paragraph of the notices that names the address (up to the next empty line): where a
// notice gives each address its own reason. All of them when none names it.
// `folded` is the notices with their letter case folded, as the address is looked for.
std::string_view ParagraphOf(std::string_view notices, std::string_view folded,
                             std::string_view address) {
  const std::size_t at = folded.find(FoldCp932Case(address));
  if (at == std::string::npos) return notices;
  std::size_t end = notices.find("\n\n", at);
  const std::size_t crlf = notices.find("\r\n\r\n", at);
  end = std::min(end, crlf);
  return notices.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
}

long DayOf(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  return (local.tm_year + 1900L) * 400 + local.tm_yday;
}

}  // namespace

ReturnedReport ReadReturnedReport(std::string_view text, std::time_t received) {
  ReturnedReport report;
  const std::optional<ReturnedMail> mail = ParseForRecognition(text);
  if (!mail) return report;
  report.date = mail->date != 0 ? mail->date : received;
  // The statuses and words of the mail, and of a report forwarded inside it.
  std::map<std::string, std::string> statuses;
  std::string notices;
  const auto gather = [&](const ReturnedMail& part) {
    for (const std::string& status : part.deliveryStatuses)
      statuses.merge(FailureStatuses(status));
    for (const std::string& notice : part.notices)
      notices += notice + "\n";
  };
  gather(*mail);
  for (const ReturnedMail& enclosed : mail->enclosedReports)
    gather(enclosed);
  const std::string folded = FoldCp932Case(notices);
  for (std::string& address : FailedRecipientsOf(*mail)) {
    ReportedFailure failure;
    const auto status = statuses.find(LowerAscii(address));
    const std::string_view paragraph = ParagraphOf(notices, folded, address);
    failure.status = status != statuses.end() ? status->second : StatusCodeIn(paragraph);
    failure.permanent =
        failure.status.empty() ? !SpeaksOfAFullMailbox(paragraph) : failure.status.front() != '4';
    failure.address = std::move(address);
    report.failures.push_back(std::move(failure));
  }
  return report;
}

void BounceTally::Add(const ReturnedReport& report) {
  for (const ReportedFailure& failure : report.failures) {
    Entry& entry = entries_[LowerAscii(failure.address)];
    AddressTally& tally = entry.tally;
    if (tally.reports == 0) tally.address = failure.address;
    ++tally.reports;
    // An undated report says nothing of when; it is the last one only while none is dated.
    const bool dated = report.date != 0;
    if (dated && (tally.first == 0 || report.date < tally.first)) tally.first = report.date;
    if (dated ? report.date >= tally.last : tally.last == 0) {
      tally.last = report.date;
      tally.lastStatus = failure.status;
    }
    tally.permanent |= failure.permanent;
    // Undated reports came on some day: together they count as one.
    if (!failure.permanent) entry.days.insert(dated ? DayOf(report.date) : -1);
  }
}

std::vector<AddressTally> BounceTally::Result(std::size_t minDays) const {
  std::vector<AddressTally> result;
  for (const auto& [key, entry] : entries_) {
    AddressTally tally = entry.tally;
    tally.temporaryDays = entry.days.size();
    tally.proposed = tally.permanent || tally.temporaryDays >= minDays;
    result.push_back(std::move(tally));
  }
  return result;
}

std::string FormatDay(std::time_t time) {
  if (time == 0) return "日付不明";
  return FormatLocalTime(time, "%Y-%m-%d");
}

}  // namespace tarnwick
