// Classes of single-byte ASCII characters. Unlike <cctype> they never depend on the C locale, and
// a byte of 0x80 or more (part of a Shift_JIS or UTF-8 character) belongs to none of them.
#pragma once

#include <algorithm>
#include <string_view>

namespace tarnwick {

constexpr bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

constexpr bool IsAsciiText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsAscii);
}

constexpr bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

constexpr bool IsAsciiLower(char c) {
  return c >= 'a' && c <= 'z';
}

constexpr bool IsAsciiAlnum(char c) {
  return IsAsciiDigit(c) || IsAsciiUpper(c) || IsAsciiLower(c);
}

// A word character of a Perl pattern read without locale: a letter, a digit or "_".
constexpr bool IsAsciiWordChar(char c) {
  return IsAsciiAlnum(c) || c == '_';
}

// The blanks between words on a line: space and tab.
constexpr bool IsAsciiBlank(char c) {
  return c == ' ' || c == '\t';
}

// 0x00 to 0x1F, and DEL.
constexpr bool IsAsciiControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// Space to tilde: the characters that print.
constexpr bool IsAsciiPrintable(char c) {
  return c >= 0x20 && c <= 0x7E;
}

// The printable characters other than the space.
constexpr bool IsAsciiGraphic(char c) {
  return c > 0x20 && c <= 0x7E;
}

constexpr char ToAsciiLower(char c) {
  return IsAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToAsciiUpper(char c) {
  return IsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace tarnwick
