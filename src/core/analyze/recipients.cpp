#include "core/analyze/recipients.h"

#include <algorithm>

#include "core/analyze/address_extraction.h"
#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/mail_address.h"

namespace tarnwick {
namespace {

bool IsLocalPartByte(char c) {
  // The rarer characters a local part may hold stand around addresses in prose far more often.
  return IsAsciiAlnum(c) || std::string_view("._%+-").find(c) != std::string_view::npos;
}

// Where the local part before text[at] begins. An apostrophe counts only between letters
// ("o'brien@"), so that quotes around an address stay outside it.
std::size_t LocalPartStart(std::string_view text, std::size_t at) {
  std::size_t begin = at;
  while (begin > 0 &&
         (IsLocalPartByte(text[begin - 1]) ||
          (text[begin - 1] == '\'' && begin >= 2 && begin < at && IsAsciiAlnum(text[begin - 2])))) {
    --begin;
  }
  return begin;
}

// "http://bl.example/?ip=192.0.2.1&address=x@example.jp": an address in a link's query is what
// a blocklist's page is asked about, the sender's more often than not, never a recipient.
bool InLink(std::string_view text, std::size_t begin) {
  const std::size_t blank = text.find_last_of(" \t\"'<(", begin);
  const std::size_t word = blank == std::string_view::npos ? 0 : blank + 1;
  return text.substr(word, begin - word).find("://") != std::string_view::npos;
}

}  // namespace

std::vector<std::string> AddressesIn(std::string_view text) {
  std::vector<std::string> found;
  for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
    const std::size_t begin = LocalPartStart(text, at);
    std::size_t end = at + 1;
    while (end < text.size() && IsDomainByte(text[end]))
      ++end;
    while (end > at + 1 && (text[end - 1] == '.' || text[end - 1] == '-'))
      --end;
    std::string address(text.substr(begin, end - begin));
    if (IsPlainAddress(address, DomainRule::Dotted) && !InLink(text, begin))
      found.push_back(std::move(address));
  }
  return found;
}

void Recipients::Add(std::string_view text) {
  std::string address = CleanAddress(text);
  if (!IsPlainAddress(address, DomainRule::Dotted) || addresses_.size() >= kMaxExtractedAddresses ||
      !seen_.insert(LowerAscii(address)).second) {
    return;
  }
  addresses_.push_back(std::move(address));
}

std::vector<std::string> Recipients::Take() {
  seen_.clear();
  return std::move(addresses_);
}

std::string AddressOfField(std::string_view header) {
  const std::size_t open = header.find('<');
  const std::size_t close = header.find('>', open);
  if (open != std::string_view::npos && close != std::string_view::npos) {
    return std::string(header.substr(open + 1, close - open - 1));
  }
  std::size_t at = 0;
  while ((at = header.find_first_not_of(" \t", at)) != std::string_view::npos) {
    const std::size_t end = std::min(header.find_first_of(" \t", at), header.size());
    if (header.substr(at, end - at).find('@') != std::string_view::npos)
      return std::string(header.substr(at, end - at));
    at = end;
  }
  return {};
}

}  // namespace tarnwick
