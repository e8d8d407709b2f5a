#include "core/analyze/delivery_status.h"

#include <algorithm>
#include <string>

#include "core/analyze/address_extraction.h"
#include "core/analyze/recipients.h"
#include "core/platform/cp932_case.h"
#include "core/platform/mail_address.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

// Whether the line is the field "Name: ...".
bool StartsWithField(std::string_view line, std::string_view name) {
  return line.size() > name.size() && line[name.size()] == ':' &&
         EqualsCp932IgnoreCase(line.substr(0, name.size()), name);
}

// The value of "Name:" in a block of field lines (continuation lines are not needed for the
// fields read here).
std::string_view Field(std::string_view block, std::string_view name) {
  std::string_view value;
  ForEachLine(block, [&](std::string_view line) {
    if (!StartsWithField(line, name)) return true;
    value = Trim(line.substr(name.size() + 1));
    return false;
  });
  return value;
}

// "rfc822; user@example.jp" gives "user@example.jp", as does the "utf-8" type of international
// reports; another address type (X.400, a local name) gives nothing.
std::string_view Rfc822Address(std::string_view typed) {
  const std::size_t semicolon = typed.find(';');
  if (semicolon == std::string_view::npos) return Trim(typed);
  const std::string type = LowerAscii(Trim(typed.substr(0, semicolon)));
  return type == "rfc822" || type == "utf-8" ? Trim(typed.substr(semicolon + 1))
                                             : std::string_view();
}

// The actions a report may give a recipient that say its delivery did not fail (for now).
constexpr std::string_view kNoFailureActions[] = {"delayed", "delivered", "relayed", "expanded"};

bool SaysNoFailureAction(std::string_view action) {
  const std::string low = LowerAscii(action);
  return std::any_of(std::begin(kNoFailureActions), std::end(kNoFailureActions),
                     [&](std::string_view word) { return low.starts_with(word); });
}

bool SaysFailed(std::string_view block) {
  const std::string_view action = Field(block, "Action");
  const std::string_view status = Field(block, "Status");
  if (action.empty()) return status.starts_with('5');
  if (SaysNoFailureAction(action)) return false;
  // Some mail systems write "failure" or "error" for "failed": an action none of the standard
  // others counts as a failure, unless its status says the delivery succeeded or goes on.
  return LowerAscii(action).starts_with("failed") ||
         !(status.starts_with('2') || status.starts_with('4'));
}

// The final recipient, or the original one when the final is no full address (a local name, an
// X.400 address): the original is the one the list sent to.
void AddRecipientOf(std::string_view block, Recipients& failed) {
  std::string_view recipient = Rfc822Address(Field(block, "Final-Recipient"));
  if (!IsPlainAddress(CleanAddress(recipient), DomainRule::Dotted))
    recipient = Rfc822Address(Field(block, "Original-Recipient"));
  failed.Add(recipient);
}

// Calls read(recipient) for each recipient's fields in a block: some mail systems leave out the
// empty line between recipients, so a recipient field after another recipient's Final-Recipient
// and Action (in whichever order the mail system gives its fields) begins the next one.
template <typename Read>
void ForEachRecipient(std::string_view block, Read read) {
  std::size_t start = 0;
  bool final = false;
  bool acted = false;
  ForEachLine(block, [&](std::string_view line) {
    const bool recipientField =
        StartsWithField(line, "Original-Recipient") || StartsWithField(line, "Final-Recipient");
    const std::size_t at = static_cast<std::size_t>(line.data() - block.data());
    if (recipientField && final && acted) {
      read(block.substr(start, at - start));
      start = at;
      final = acted = false;
    }
    final = final || StartsWithField(line, "Final-Recipient");
    acted = acted || StartsWithField(line, "Action");
  });
  read(block.substr(start));
}

// Calls read(block) for each block of the report, blocks being separated by empty lines.
template <typename Read>
void ForEachBlock(std::string_view report, Read read) {
  std::string text(report);
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\n\n", start);
    if (end == std::string::npos) end = text.size();
    ForEachRecipient(std::string_view(text.data() + start, end - start), read);
    start = end + 2;
  }
}

}  // namespace

void ReadDeliveryStatus(std::string_view report, Recipients& failed) {
  ForEachBlock(report, [&](std::string_view block) {
    if (SaysFailed(block)) AddRecipientOf(block, failed);
  });
}

std::map<std::string, std::string> FailureStatuses(std::string_view report) {
  std::map<std::string, std::string> statuses;
  ForEachBlock(report, [&](std::string_view block) {
    if (!SaysFailed(block)) return;
    Recipients one;
    AddRecipientOf(block, one);
    for (const std::string& address : one.Take())
      statuses[LowerAscii(address)] = std::string(Field(block, "Status"));
  });
  return statuses;
}

bool ReportsNoFailure(std::string_view report) {
  bool recipients = false;
  bool failure = false;
  // A recipient of an action nobody knows says neither: the words around the report decide.
  ForEachBlock(report, [&](std::string_view block) {
    const bool failed = SaysFailed(block);
    const std::string_view action = Field(block, "Action");
    if (!failed && !SaysNoFailureAction(action)) return;
    recipients = true;
    failure = failure || failed;
  });
  return recipients && !failure;
}

}  // namespace tarnwick
