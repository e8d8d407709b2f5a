#include "core/analyze/notice.h"

#include <algorithm>
#include <span>

#include "core/analyze/address_extraction.h"
#include "core/analyze/notice_words.h"
#include "core/analyze/recipients.h"
#include "core/platform/cp932_case.h"
#include "core/platform/mail_address.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

bool ContainsAny(std::string_view lowered, std::span<const std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view word) {
    return lowered.find(word) != std::string_view::npos;
  });
}

bool StartsWithAny(std::string_view lowered, std::span<const std::string_view> words) {
  return std::any_of(words.begin(), words.end(),
                     [&](std::string_view word) { return lowered.starts_with(word); });
}

bool IsCopyMarker(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t-=");
  if (first == std::string_view::npos) return false;
  return StartsWithAny(LowerAscii(line.substr(first)), kCopyMarkers);
}

// Japanese notices write their labels with the full-width colon.
constexpr std::string_view kFullWidthColon = "\xef\xbc\x9a";

// Japanese notices set words and addresses apart with the full-width blank too.
constexpr std::string_view kFullWidthBlank = "\xe3\x80\x80";

// The text without the blanks, single-byte or full-width, around it.
std::string_view TrimBlanks(std::string_view text) {
  for (text = Trim(text); text.starts_with(kFullWidthBlank); text = Trim(text))
    text.remove_prefix(kFullWidthBlank.size());
  for (; text.ends_with(kFullWidthBlank); text = Trim(text))
    text.remove_suffix(kFullWidthBlank.size());
  return text;
}

// "Aki Tanaka (aki@example.jp)", "Aki <aki@example.jp>": a display name of a few words, and
// the address in brackets after it; the address part, or the line when it is not that.
std::string_view AfterDisplayName(std::string_view line) {
  const char close = line.empty() ? '\0' : line.back();
  const std::size_t open = close == ')' ? line.rfind('(') : close == '>' ? line.rfind('<') : 0;
  if (open == 0 || open == std::string_view::npos) return line;
  const std::string_view name = line.substr(0, open);
  const bool fewWords = std::count(name.begin(), name.end(), ' ') <= 4;
  if (!fewWords || name.find_first_of(":@") != std::string_view::npos) return line;
  return line.substr(open + 1, line.size() - open - 2);
}

// A line that holds one address and nothing else ("<x@example.jp>", "-- x@example.jp", a
// display name and the address), as notices set the recipient apart below the sentence that
// says what failed.
bool IsAddressLine(std::string_view line) {
  line = AfterDisplayName(TrimBlanks(line));
  while (!line.empty() && (line.front() == '-' || line.front() == '*'))
    line = TrimLeft(line.substr(1));
  while (!line.empty() && (line.back() == '.' || line.back() == ','))
    line.remove_suffix(1);
  if (line.starts_with('<') && line.ends_with('>')) line = line.substr(1, line.size() - 2);
  return IsPlainAddress(line, DomainRule::Dotted);
}

// A label longer than this is a sentence.
constexpr std::size_t kMaxLabelBytes = 60;

// "送信先メールアドレス　x@example.jp", "Recipient address   x@example.jp": the label before an
// address that stands alone after a blank, with no colon between; empty when the line is not so.
std::string_view LabelBeforeLoneAddress(std::string_view line) {
  line = TrimBlanks(line);
  const std::size_t blank = line.find_last_of(" \t");
  const std::size_t wide = line.rfind(kFullWidthBlank);
  const bool wideLast = wide != std::string_view::npos && (blank == line.npos || wide > blank);
  const std::size_t cut = wideLast ? wide : blank;
  if (cut == std::string_view::npos) return {};
  const std::size_t after = cut + (wideLast ? kFullWidthBlank.size() : 1);
  if (!IsAddressLine(line.substr(after))) return {};
  const std::string_view label = TrimBlanks(line.substr(0, cut));
  return label.size() <= kMaxLabelBytes ? label : std::string_view();
}

// "target mail address: x@example.jp", "addressed to email address :", "相手先　x@example.jp": a
// line whose label speaks of recipients, not of senders.
bool LabelsRecipient(std::string_view low) {
  const std::size_t colon = std::min(low.find(':'), low.find(kFullWidthColon));
  const std::string_view label =
      colon == std::string_view::npos ? LabelBeforeLoneAddress(low) : low.substr(0, colon);
  return ContainsAny(label, kRecipientLabelWords) && !ContainsAny(label, kSenderLabelWords);
}

// Words of a sentence that announces a list ("the following", "以下の", "次の", "下記の").
constexpr std::string_view kFollowingWords[] = {"following", "以下の", "次の", "下記の"};

// "The following addresses", "以下のアドレス", "次の宛先", "could not be delivered to:".
bool AnnouncesRecipients(std::string_view low) {
  const bool following = ContainsAny(low, kFollowingWords);
  if (following && ContainsAny(low, std::initializer_list<std::string_view>{
                                        "recipient", "address", "destination", "user", "アドレス",
                                        "宛先", "あて先", "受信者"})) {
    return true;
  }
  // Lotus Domino heads the list "------- Failure Reasons --------".
  return low.find("failure reasons") != std::string_view::npos ||
         ((TrimRight(low).ends_with(':') || TrimRight(low).ends_with(kFullWidthColon)) &&
          (ContainsAny(low, kFailureWords) || LabelsRecipient(low)));
}

// A sentence longer than this announces nothing.
constexpr std::size_t kMaxSentenceBytes = 400;

// "A message that you sent contained one or more recipient addresses that were\n incorrectly
// constructed:": a sentence over several lines, the lines of words since the last empty one,
// that ends in a colon announces the recipients when it speaks of them.
class Sentence {
 public:
  void Add(std::string_view low) {
    long_ = long_ || text_.size() + low.size() >= kMaxSentenceBytes;
    if (!long_) text_.append(" ").append(low);
  }
  void Clear() {
    text_.clear();
    long_ = false;
  }
  bool Announces() const {
    return !long_ && TrimRight(text_).ends_with(':') && LabelsRecipient(text_);
  }

 private:
  std::string text_;  // in lower case
  bool long_ = false;
};

// "  mei@example.org <hana@example.org>: malformed address: <hana@example.org> may not follow
// mei@example.org": a line that begins with an address text and a colon names its recipient
// there, whatever addresses its reason quotes; another line names its addresses wherever.
std::vector<std::string> CandidatesOn(std::string_view line) {
  const std::size_t colon = line.find(':');
  const std::string_view lead = Trim(line.substr(0, colon));
  // A word alone, or a display name and a bracket: words around an address are a sentence.
  if (colon != std::string_view::npos && (lead.find_first_of(" \t") == std::string_view::npos ||
                                          lead.find('<') != std::string_view::npos)) {
    std::string address = CleanAddress(lead);
    if (IsPlainAddress(address, DomainRule::Dotted)) return {std::move(address)};
  }
  return AddressesIn(line);
}

// "sent from <x@example.jp>", "MAIL FROM:<x@example.jp>": the address of a sender. Exim's
// "generated from" and Postfix's "expanded from" name the recipient the list sent to, though.
bool NamedAsSender(std::string_view lowAddress, std::string_view low) {
  const std::size_t at = low.find(lowAddress);
  if (at == std::string_view::npos) return false;
  std::string_view before = low.substr(0, at);
  while (!before.empty() &&
         std::string_view(" \t<:\"'").find(before.back()) != std::string_view::npos)
    before.remove_suffix(1);
  return (before.ends_with("from") && !before.ends_with("generated from") &&
          !before.ends_with("expanded from")) ||
         before.ends_with("sent by");
}

bool IsOwn(const std::string& lowAddress, const std::vector<std::string>& own) {
  return std::any_of(own.begin(), own.end(),
                     [&](const std::string& a) { return LowerAscii(a) == lowAddress; });
}

// Not the notice's own sender or addressee, no mail system's service address, no sender.
bool MayBeRecipient(const std::string& lowAddress, std::string_view low,
                    const std::vector<std::string>& own) {
  return !IsOwn(lowAddress, own) && !IsServiceAddress(lowAddress) &&
         !NamedAsSender(lowAddress, low);
}

}  // namespace

bool SenderIsMailSystem(std::string_view from) {
  return ContainsAny(LowerAscii(from), kMailSystemSenderWords);
}

bool HeadersShowMailSystemReport(std::string_view from, std::string_view subject) {
  return Trim(from).empty() || SenderIsMailSystem(from) ||
         ContainsAny(LowerAscii(subject), kReportSubjectWords);
}

std::string_view NoticeBeforeCopy(std::string_view text) {
  std::size_t offset = 0;
  ForEachLine(text, [&](std::string_view line) {
    if (IsCopyMarker(line)) return false;
    offset = static_cast<std::size_t>(line.data() - text.data()) + line.size();
    return true;
  });
  return text.substr(0, std::min(text.size(), offset));
}

bool IsServiceAddress(std::string_view address) {
  return StartsWithAny(LowerAscii(address), kServiceNames);
}

bool NamesOtherAddress(std::string_view notice, const std::vector<std::string>& own) {
  bool named = false;
  ForEachLine(notice, [&](std::string_view line) {
    const std::string low = LowerAscii(line);
    for (const std::string& address : AddressesIn(line)) {
      const std::string lowAddress = LowerAscii(address);
      named = !IsServiceAddress(lowAddress) &&
              !(IsOwn(lowAddress, own) && NamedAsSender(lowAddress, low));
      if (named) return false;
    }
    return true;
  });
  return named;
}

bool SaysFailure(std::string_view text) {
  return ContainsAny(LowerAscii(text), kFailureWords);
}

bool SubjectSaysFailure(std::string_view subject) {
  return ContainsAny(LowerAscii(subject), kFailureSubjectWords) && !SubjectSaysNoFailure(subject);
}

bool SaysNoFailure(std::string_view notice) {
  return ContainsAny(LowerAscii(notice), kNoFailureWords);
}

bool SubjectSaysNoFailure(std::string_view subject) {
  // "BOUNCE list@host: reason" is how Majordomo hands a held post to the list's owner: the post
  // it quotes failed nowhere.
  const std::string low = LowerAscii(subject);
  return subject.starts_with("BOUNCE ") || ContainsAny(low, kNoFailureSubjectWords) ||
         StartsWithAny(low, kNoFailureSubjectStarts);
}

void ReadBracketedRecipients(std::string_view notice, Recipients& failed) {
  ForEachLine(notice, [&](std::string_view line) {
    line = TrimLeft(line);
    const std::size_t close = line.find('>');
    if (line.starts_with('<') && close != std::string_view::npos) {
      const std::string_view rest = TrimLeft(line.substr(close + 1));
      if (rest.starts_with(':') || rest.starts_with("(expanded from")) {
        failed.Add(line.substr(0, close + 1));
      }
    }
  });
}

void ReadPlainNotice(std::string_view notice, const std::vector<std::string>& own,
                     Recipients& failed) {
  int announced = 0;     // lines left in which a failed recipient may stand
  int afterFailure = 0;  // lines left in which an address alone on its line is the recipient
  bool listed = false;   // the failed recipients were announced: each address alone is one
  std::string_view addressAbove;  // the line of words before, when it held an address alone
  Sentence sentence;
  const auto take = [&](std::string_view line, std::string_view low) {
    bool took = false;
    if (StartsWithAny(TrimLeft(low), kQuotedFieldNames)) return took;
    for (const std::string& address : CandidatesOn(line)) {
      if (!MayBeRecipient(LowerAscii(address), low, own)) continue;
      failed.Add(address);
      took = true;
    }
    return took;
  };
  ForEachLine(notice, [&](std::string_view line) {
    if (Trim(line).empty()) {  // only lines of words close the other windows
      announced = std::max(announced - 1, 0);
      sentence.Clear();
      return;
    }
    const std::string low = LowerAscii(line);
    sentence.Add(low);
    const bool announcing = AnnouncesRecipients(low) || sentence.Announces();
    const bool failing = ContainsAny(low, kFailureWords);
    const bool addressAlone = IsAddressLine(line);
    bool took = (announcing || announced > 0 || failing || LabelsRecipient(low) ||
                 ((afterFailure > 0 || listed) && addressAlone)) &&
                take(line, low);
    listed = listed || announcing;
    // "x@example.jp" on a line, "no such person" on the next.
    if (failing && !took && !addressAbove.empty())
      took = take(addressAbove, LowerAscii(addressAbove));
    if (announcing || (took && announced > 0)) {
      announced = 4;
    } else if (announced > 0) {
      --announced;
    }
    afterFailure = failing && !took ? 3 : std::max(afterFailure - 1, 0);
    addressAbove = addressAlone && !took ? line : std::string_view();
  });
}

void ReadJsonBounce(std::string_view notice, Recipients& failed) {
  const std::size_t list = notice.find("bouncedRecipients");
  if (list == std::string_view::npos) return;
  const std::size_t end = notice.find(']', list);
  std::string_view entries =
      notice.substr(list, end == std::string_view::npos ? notice.npos : end - list);
  for (std::size_t at = entries.find("emailAddress"); at != std::string_view::npos;
       at = entries.find("emailAddress", at + 1)) {
    const std::string_view value = entries.substr(at, entries.find(',', at) - at);
    for (const std::string& address : AddressesIn(value))
      failed.Add(address);
  }
}

}  // namespace tarnwick
