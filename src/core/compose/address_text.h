// Reading many member addresses at once: a file of the list as it should be, a paste, a dropped
// text file. A text file arrives in UTF-8 (with or without BOM), UTF-16 with its BOM, Shift_JIS or
// ISO-2022-JP; it is one address per line, or CSV whose header names an address column (the
// exports of spreadsheets and of other list servers). Every address is checked as the list's
// server takes it, and each is taken once, letter case ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/refusal.h"
#include "core/store/mailing_list.h"

namespace tarnwick {

enum class AddressTextRule {
  OnePerLine,  // each line one plain mailbox (blank lines and "#" comments aside)
  Loose,       // addresses separated by line ends, commas, semicolons or blanks;
               // "Name <a@b>" is taken as a@b
};

struct RefusedAddress {
  std::size_t line = 0;  // counted from 1
  std::string reason;    // UTF-8: names what the line holds and why it is refused
};

// "3行目: ｱﾄﾞﾚｽ「a b」は使えません (空白を含んでいます)": one line, as the window and the CLI show
// it.
std::string DescribeRefused(const RefusedAddress& refused);

// Refused lines beyond this many are counted, not kept: a wrong file must not fill the memory.
inline constexpr std::size_t kMaxRefusedKept = 100;

struct AddressText {
  std::vector<std::string> addresses;   // each once, in the order first met (CP932, i.e. ASCII)
  std::size_t duplicates = 0;           // addresses met again, taken once
  std::vector<RefusedAddress> refused;  // the first kMaxRefusedKept, in line order
  std::size_t refusedCount = 0;         // all of them
  Refusal refusal;  // the text as a whole can't be read (an unreadable file, a CSV header
                    // without an address column): nothing in it is taken
};

// Reads UTF-8 text.
AddressText ReadAddressText(std::string_view utf8, ServerKind serverKind, AddressTextRule rule);

// A larger file of addresses is refused, not cut.
inline constexpr std::uintmax_t kMaxAddressFileBytes = 20u << 20;

// The bytes of a text file as UTF-8, or why they are no text.
struct DecodedText {
  std::string utf8;
  Refusal refusal;
};
DecodedText DecodeTextFile(std::string_view bytes);

// Reads the file named by a CP932 path: at most kMaxAddressFileBytes, decoded, then as
// ReadAddressText.
AddressText ReadAddressFile(std::string_view cp932Path, ServerKind serverKind,
                            AddressTextRule rule);

}  // namespace tarnwick
