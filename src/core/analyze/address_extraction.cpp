#include "core/analyze/address_extraction.h"

#include <algorithm>

#include "core/analyze/notice.h"
#include "core/analyze/returned_mail.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "core/platform/line_reader.h"
#include "core/platform/mail_address.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

// A delivery-failure report lists the failed addresses on the lines after this one, up to an
// empty line.
constexpr std::string_view kAddressBlockMarker = "The following addresses";
// An approval request, and another kind of failure report, name one address two lines below,
// as the third word of its line.
constexpr std::string_view kSingleAddressMarkers[] = {"requests that you approve the following",
                                                      "The following recipients did"};

// Something on each side of an "@": a notice in quoted-printable ("user=40example.jp") or a
// block that lists reasons ("recv:550userunknown") must not put words into a command. Local
// names ("user@localhost") are kept: a list server on a small network may well have them.
bool HasAtSign(std::string_view address) {
  const std::optional<AddressHalves> halves = SplitAtSign(address);
  return halves && !halves->local.empty() && !halves->domain.empty();
}

void AddCleaned(std::string_view text, std::vector<std::string>& addresses) {
  std::string address = CleanAddress(text);
  if (HasAtSign(address) && addresses.size() < kMaxExtractedAddresses) {
    addresses.push_back(std::move(address));
  }
}

// The block ends at an empty line; a report quoted in a forwarded mail ("> " before each line)
// ends at a quoted empty line, or it would run on through the rest of the mail.
bool EndsAddressBlock(std::string_view line, bool quoted) {
  return line.empty() || (quoted && line.find_first_not_of("> \t") == std::string_view::npos);
}

using Lines = std::vector<std::string_view>;

// The lines of the mail as a line-by-line reader gives them: each cut at its first zero byte, as
// a C string would end there, and at a bound, so that no one line costs more than that.
Lines LinesOf(std::string_view mail) {
  Lines lines;
  ForEachLine(mail, [&](std::string_view line) {
    lines.push_back(line.substr(0, std::min(line.find('\0'), LineReader::kMaxLineBytes)));
  });
  return lines;
}

// The block after the marker on line `marker`.
void ReadAddressBlock(const Lines& lines, std::size_t marker, std::vector<std::string>& addresses) {
  const bool quoted = TrimLeft(lines[marker]).starts_with('>');
  for (std::size_t i = marker + 1; i < lines.size() && !EndsAddressBlock(lines[i], quoted); ++i)
    AddCleaned(lines[i], addresses);
}

// "\tsubscribe list user@example.jp" gives "user@example.jp".
std::string_view ThirdWordOn(std::string_view line) {
  line = TrimLeft(line);
  for (int cut = 0; cut < 2; ++cut) {
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos) line.remove_prefix(space + 1);
  }
  return line;
}

// "  <user@example.jp>": an address and nothing else on the line.
bool IsLoneAddress(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.find_first_of(" \t") == std::string_view::npos &&
         HasAtSign(CleanAddress(line));
}

bool IsSingleAddressMarker(std::string_view line) {
  return std::any_of(std::begin(kSingleAddressMarkers), std::end(kSingleAddressMarkers),
                     [&](std::string_view marker) { return line.find(marker) != line.npos; });
}

// Some mail systems list every failed recipient under the one marker, an address a line, each
// with its reason on the lines below it: the lone addresses up to the empty line, other than a
// mail system's own mailbox, are the rest of the recipients. `at` is left on the block's last
// line, or before a repeated marker.
void ReadFurtherRecipients(const Lines& lines, std::size_t& at,
                           std::vector<std::string>& addresses) {
  if (at >= lines.size()) return;
  const bool quoted = TrimLeft(lines[at]).starts_with('>');
  while (at + 1 < lines.size() && !EndsAddressBlock(lines[at + 1], quoted) &&
         !IsSingleAddressMarker(lines[at + 1])) {
    const std::string_view line = lines[++at];
    if (IsLoneAddress(line) && !IsServiceAddress(CleanAddress(line))) AddCleaned(line, addresses);
  }
}

std::optional<std::vector<std::string>> MarkerAddressesIn(std::string_view mail) {
  std::vector<std::string> addresses;
  bool marked = false;
  const Lines lines = LinesOf(mail);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!marked && lines[i].find(kAddressBlockMarker) != std::string_view::npos) {
      ReadAddressBlock(lines, i, addresses);
      return addresses;
    }
    // A notice that failed several recipients repeats the marker for each.
    if (IsSingleAddressMarker(lines[i])) {
      marked = true;
      if (i + 2 < lines.size()) AddCleaned(ThirdWordOn(lines[i + 2]), addresses);
      i += 2;
      ReadFurtherRecipients(lines, i, addresses);
    }
  }
  if (!marked) return std::nullopt;
  return addresses;
}

// Where the comment opened at "open" ends: comments nest, so that "(reason: size (10485760))"
// is one comment; npos when it never ends.
std::size_t EndOfComment(std::string_view text, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string CleanAddress(std::string_view text) {
  // Byte by byte is safe on Shift_JIS: none of the bytes tested occurs inside a double-byte
  // character.
  std::string result;
  std::size_t i = text.find_first_not_of(' ');
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(') {
      i = EndOfComment(text, i);
    } else if (c == '"') {
      i = text.find('"', i + 1);
    } else if (c == '<') {
      result.clear();
    } else if (c == '>') {
      if (!result.empty()) return result;
    } else if (c != ' ') {
      result += c;
    }
    if (i == std::string_view::npos) break;
  }
  return result;
}

std::optional<std::vector<std::string>> ExtractByMarkers(const std::filesystem::path& file) {
  const std::optional<std::string> mail = ReadWholeFile(file, kMaxReturnedMailBytes);
  if (!mail) return std::nullopt;
  return MarkerAddressesIn(MendedMail(*mail));
}

std::vector<std::string> ExtractReturned(const std::filesystem::path& file) {
  const std::optional<std::string> mail = ReadWholeFile(file, kMaxReturnedMailBytes);
  if (!mail) return {};
  const std::string mended = MendedMail(*mail);
  std::optional<std::vector<std::string>> byMarkers = MarkerAddressesIn(mended);
  const std::optional<ReturnedMail> parsed = ParseReturnedMail(mended);
  // A delay warning may list its addresses under the very marker of a failure report ("The
  // following addresses had fatal errors ... Message will be retried"): its subject tells.
  const bool warningOnly = parsed && SubjectSaysNoFailure(parsed->subject);
  if (byMarkers && !byMarkers->empty() && !warningOnly) return std::move(*byMarkers);
  // No marker phrase, or one followed by no address: the mail may still be a returned mail of
  // another mail system.
  return parsed ? FailedRecipientsOf(*parsed) : std::vector<std::string>();
}

std::vector<std::string> ExtractSender(const std::filesystem::path& file) {
  std::vector<std::string> addresses;
  const std::optional<std::string> mail = ReadWholeFile(file, kMaxReturnedMailBytes);
  if (!mail) return addresses;
  const std::string mended = MendedMail(*mail);
  for (std::string_view line : LinesOf(mended)) {
    if (line.size() >= 5 && EqualsCp932IgnoreCase(line.substr(0, 5), "From:")) {
      AddCleaned(line.substr(5), addresses);
      break;
    }
  }
  return addresses;
}

std::vector<std::string> ExtractAddresses(const std::filesystem::path& file, ExtractionMode mode) {
  return mode == ExtractionMode::Sender ? ExtractSender(file) : ExtractReturned(file);
}

}  // namespace tarnwick
