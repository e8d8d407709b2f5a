// A number written as a whole text: its digits (in the base) from the first byte to the last,
// within the type's range. Anything else (empty, blanks, a sign the type can't take, a byte
// after the digits, "0x") is no number.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>

namespace tarnwick {

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text, int base = 10) {
  Number number{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number, base);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

}  // namespace tarnwick
