// The syntax of a plain mail address, local@domain, as member lists hold them: printable ASCII
// without blanks, one "@" with something before it, none of the punctuation that sets addresses
// apart in a header or in prose, and a domain after the "@".
#pragma once

#include <optional>
#include <string_view>

#include "core/platform/ascii.h"

namespace tarnwick {

// The characters that end an address in a header or in running text; a plain address holds none.
inline constexpr std::string_view kAddressPunctuation = "()<>[],;:\"\\/|";

// The bytes a host name is written in: letters, digits, "." and "-".
constexpr bool IsDomainByte(char c) {
  return IsAsciiAlnum(c) || c == '.' || c == '-';
}

// The two sides of the first "@" of a text.
struct AddressHalves {
  std::string_view local;
  std::string_view domain;
};

// Nothing when the text has no "@".
std::optional<AddressHalves> SplitAtSign(std::string_view text);

// How much the part after the "@" must look like a host name.
enum class DomainRule {
  Dotted,    // a dot inside it, and none of the address punctuation
  HostName,  // dotted, and only letters, digits and hyphens between single dots
};

// What is wrong with an address, in the order the faults are looked for.
enum class AddressFault {
  None,
  Blank,       // a space or a tab
  NotGraphic,  // a byte that is no printable ASCII
  NoAtSign,
  SecondAtSign,
  EmptyLocalPart,  // nothing before the "@"
  Punctuation,     // address punctuation before the "@"
  BadDomain,       // the part after the "@" breaks the domain rule
};

struct AddressSyntax {
  AddressFault fault = AddressFault::None;
  char punctuation = 0;  // Punctuation: the first one before the "@"
};

// The first fault of the address under the domain rule.
AddressSyntax CheckAddressSyntax(std::string_view address, DomainRule rule);

// True when the address has no fault under the domain rule.
bool IsPlainAddress(std::string_view address, DomainRule rule);

}  // namespace tarnwick
