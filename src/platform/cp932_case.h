// Letter-case rules on CP932 text.
//
// The second byte of a double-byte character can be an ASCII letter ("ア" is 0x83 0x41), so case
// must be folded character by character, never byte by byte: only single-byte ASCII letters fold.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// True for a byte that starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The text with its single-byte ASCII letters lowered; double-byte characters stay as they are.
std::string FoldCp932Case(std::string_view text);

// Ordering and equality that ignore the case of single-byte ASCII letters.
int CompareCp932IgnoreCase(std::string_view a, std::string_view b);
bool EqualsCp932IgnoreCase(std::string_view a, std::string_view b);

}  // namespace tarnwick
