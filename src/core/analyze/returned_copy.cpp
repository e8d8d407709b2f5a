#include "core/analyze/returned_copy.h"

#include <algorithm>

#include "core/analyze/recipients.h"
#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

// A header longer than this is no mail's; the rest of the copy is not read.
constexpr std::size_t kMaxHeaderLines = 300;
// Lines before the header: the marker line, blank lines, a mailbox's "From " line.
constexpr std::size_t kMaxLinesBeforeHeader = 4;

// Fields that name the envelope recipient of the receiving mail system.
constexpr std::string_view kEnvelopeFields[] = {"delivered-to", "x-original-to", "envelope-to",
                                                "x-envelope-to"};

struct Field {
  std::string name;  // in lower case
  std::string value;
};

// The length of the field name the line begins with ("To" of "To: x"), 0 when it is no field.
std::size_t FieldNameLength(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && i < 64 && (IsAsciiAlnum(line[i]) || line[i] == '-'))
    ++i;
  return i > 0 && i < line.size() && line[i] == ':' ? i : 0;
}

// The copy's header fields, continuation lines joined, up to its first empty line. A quoting
// indentation of the whole header (as list servers quote a mail, or "> " as mail programs do)
// is allowed for.
std::vector<Field> HeaderFields(std::string_view copy) {
  std::vector<Field> fields;
  std::size_t lines = 0;
  std::size_t indent = std::string_view::npos;
  ForEachLine(copy, [&](std::string_view line) {
    const std::size_t lead = std::min(line.find_first_not_of(" \t>"), line.size());
    const std::string_view text = line.substr(lead);
    const std::size_t name = FieldNameLength(text);
    if (++lines > kMaxHeaderLines) return false;
    if (indent == std::string_view::npos) {
      if (name == 0) return lines <= kMaxLinesBeforeHeader;
      indent = lead;
    }
    if (text.empty()) return false;
    if (lead > indent && !fields.empty()) {
      fields.back().value.append(" ").append(text);
      return true;
    }
    if (name == 0 || lead != indent) return false;
    fields.push_back({LowerAscii(text.substr(0, name)), std::string(text.substr(name + 1))});
    return true;
  });
  return fields;
}

// The recipient a Received line names after "for" ("by mx with ESMTP id 1 for <x@y>; date").
std::vector<std::string> ReceivedFor(std::string_view value) {
  const std::string low = LowerAscii(value);
  const std::size_t at = low.find(" for ");
  if (at == std::string::npos) return {};
  const std::string_view rest = value.substr(at + 5);
  return AddressesIn(rest.substr(0, rest.find(';')));
}

}  // namespace

std::string CopiedRecipient(std::string_view copy, const std::vector<std::string>& own) {
  const std::vector<Field> fields = HeaderFields(copy);
  std::vector<std::string> others = own;
  std::vector<std::string> addressees;
  for (const Field& field : fields) {
    if (field.name == "from" || field.name == "sender" || field.name == "return-path") {
      for (std::string& address : AddressesIn(field.value))
        others.push_back(std::move(address));
    } else if (field.name == "to" || field.name == "cc") {
      for (std::string& address : AddressesIn(field.value))
        addressees.push_back(std::move(address));
    }
  }
  const auto isOther = [&](const std::string& address) {
    return std::any_of(others.begin(), others.end(),
                       [&](const std::string& o) { return LowerAscii(o) == LowerAscii(address); });
  };
  // Only the newest receiving system's fields: above the first Received line, and that line.
  // Older ones name the list's own address, where the post arrived before the list resent it.
  for (const Field& field : fields) {
    const bool received = field.name == "received";
    const bool envelope = std::find(std::begin(kEnvelopeFields), std::end(kEnvelopeFields),
                                    field.name) != std::end(kEnvelopeFields);
    const std::vector<std::string> named =
        received ? ReceivedFor(field.value)
                 : (envelope ? AddressesIn(field.value) : std::vector<std::string>());
    if (named.size() == 1 && !isOther(named.front())) return named.front();
    if (received) break;
  }
  if (addressees.size() == 1 && !isOther(addressees.front())) return addressees.front();
  return {};
}

}  // namespace tarnwick
