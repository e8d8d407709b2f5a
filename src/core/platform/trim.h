// Removing single-byte white space (blank, tab, CR, LF, vertical tab, form feed) from the ends of
// a text. A full-width blank is no white space here.
#pragma once

#include <string_view>

namespace tarnwick {

inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

constexpr std::string_view TrimLeft(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

constexpr std::string_view TrimRight(std::string_view text) {
  const std::size_t last = text.find_last_not_of(kWhiteSpace);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

constexpr std::string_view Trim(std::string_view text) {
  return TrimLeft(TrimRight(text));
}

}  // namespace tarnwick
