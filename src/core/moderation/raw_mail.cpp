#include "core/moderation/raw_mail.h"

#include "core/platform/cp932_case.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

// A field's value is kept to this: longer is no server's notice.
constexpr std::size_t kMaxFieldBytes = 4096;

// The line at `at` without its line end, and where the next one starts.
std::string_view LineAt(std::string_view text, std::size_t at, std::size_t& next) {
  const std::size_t end = text.find('\n', at);
  next = end == std::string_view::npos ? text.size() : end + 1;
  std::string_view line = text.substr(at, (end == std::string_view::npos ? text.size() : end) - at);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

bool IsFieldOf(std::string_view line, std::string_view name) {
  return line.size() > name.size() && line[name.size()] == ':' &&
         EqualsCp932IgnoreCase(line.substr(0, name.size()), name);
}

}  // namespace

RawMail SplitMail(std::string_view mail) {
  RawMail parts;
  for (std::size_t at = 0, next = 0; at < mail.size(); at = next) {
    if (LineAt(mail, at, next).empty()) {
      parts.header = mail.substr(0, at);
      parts.body = mail.substr(next);
      parts.whole = true;
      return parts;
    }
  }
  parts.header = mail;
  return parts;
}

std::optional<std::string> FieldValue(std::string_view header, std::string_view name) {
  std::optional<std::string> value;
  for (std::size_t at = 0, next = 0; at < header.size(); at = next) {
    const std::string_view line = LineAt(header, at, next);
    const bool folded = !line.empty() && (line[0] == ' ' || line[0] == '\t');
    if (value && !folded) break;
    if (value && value->size() > kMaxFieldBytes) break;
    if (value) {
      *value += ' ';
      *value += Trim(line);
    } else if (IsFieldOf(line, name)) {
      value = std::string(Trim(line.substr(name.size() + 1)));
    }
  }
  if (value) *value = std::string(Trim(std::string_view(*value).substr(0, kMaxFieldBytes)));
  return value;
}

std::optional<std::string_view> AfterLine(std::string_view text, std::string_view marker) {
  for (std::size_t at = 0, next = 0; at < text.size(); at = next) {
    if (LineAt(text, at, next).starts_with(marker)) return text.substr(next);
  }
  return std::nullopt;
}

std::string_view BeforeLine(std::string_view text, std::string_view marker) {
  for (std::size_t at = 0, next = 0; at < text.size(); at = next) {
    if (LineAt(text, at, next).starts_with(marker)) return text.substr(0, at);
  }
  return text;
}

std::string_view WithoutTrailingEmptyLines(std::string_view text) {
  const std::size_t last = text.find_last_not_of("\r\n");
  if (last == std::string_view::npos) return {};
  const std::size_t end = text.find('\n', last);
  return text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
}

std::string Unindented(std::string_view text, std::size_t indent) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0, next = 0; at < text.size(); at = next) {
    LineAt(text, at, next);
    std::size_t skip = 0;
    while (skip < indent && at + skip < next && text[at + skip] == ' ')
      ++skip;
    out.append(text.substr(at + skip, next - at - skip));
  }
  return out;
}

std::string WithLfEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace tarnwick
