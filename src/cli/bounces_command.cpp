#include <array>
#include <charconv>

#include "analyze/bounce_tally.h"
#include "analyze/mailbox_reader.h"
#include "cli/cli_commands.h"

namespace tarnwick::cli {

Outcome Bounces(const Args& args, std::ostream& out) {
  constexpr std::array<OptionRule, 2> kOptions{
      {{"min-days", OptionKind::Value}, {"all", OptionKind::Flag}}};
  Failure failure;
  const std::optional<Options> options = Options::Parse(args, kOptions, failure);
  if (!options) return failure;
  if (options->positional().empty()) {
    return Failure{"bounces takes one or more mailboxes", kBadArguments};
  }
  std::size_t minDays = 3;
  if (options->Has("min-days")) {
    const std::string text = options->Raw("min-days");
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), minDays);
    if (ec != std::errc() || end != text.data() + text.size() || minDays == 0) {
      return Failure{"--min-days takes a number of days from 1", kBadArguments};
    }
  }
  BounceTally tally;
  std::string unreadable;
  for (const std::string& mailbox : options->positional()) {
    const bool read =
        ReadMailbox(mailbox, [&](std::string_view mail) { tally.Add(ReadReturnedReport(mail)); });
    if (!read) unreadable += (unreadable.empty() ? "" : ", ") + mailbox;
  }
  for (const AddressTally& address : tally.Result(minDays)) {
    if (!address.proposed && !options->Has("all")) continue;
    out << address.address << '\t' << (address.permanent ? "permanent" : "temporary") << '\t'
        << address.reports << '\t' << FormatDay(address.first) << '\t' << FormatDay(address.last)
        << '\t' << address.lastStatus << '\n';
  }
  if (!unreadable.empty()) return Failure{"cannot read the mailbox: " + unreadable, kFailed};
  return std::nullopt;
}

}  // namespace tarnwick::cli
