// Letter-case rules on CP932 text.
//
// The second byte of a double-byte character can be an ASCII letter ("ア" is 0x83 0x41), so case
// must be folded character by character, never byte by byte: only single-byte ASCII letters fold.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

// True for a byte that starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// True for a byte that can follow a lead byte as the second of its character.
constexpr bool IsCp932TrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// The text with its single-byte ASCII letters lowered; double-byte characters stay as they are.
std::string FoldCp932Case(std::string_view text);

// The text with every ASCII letter byte lowered: for text in another encoding (the UTF-8 of a
// returned mail's notice), where no byte of a multibyte character is an ASCII letter.
std::string LowerAscii(std::string_view text);

// Ordering and equality that ignore the case of single-byte ASCII letters.
int CompareCp932IgnoreCase(std::string_view a, std::string_view b);
bool EqualsCp932IgnoreCase(std::string_view a, std::string_view b);

// The order of the program's sorted lists (lists in the register, addresses): byte order of CP932
// ignoring the case of ASCII letters; texts that differ only in case fall back to their exact
// bytes, so the order is total.
bool SortsBeforeIgnoringCase(std::string_view a, std::string_view b);

// Where a sorted list puts a new text: before the first entry that sorts after it, so equal
// entries keep the order they were added in.
template <typename Range, typename Text>
std::size_t SortedInsertPosition(const Range& entries, std::string_view text, Text textOf) {
  std::size_t index = 0;
  for (const auto& entry : entries) {
    if (SortsBeforeIgnoringCase(text, textOf(entry))) break;
    ++index;
  }
  return index;
}

}  // namespace tarnwick
