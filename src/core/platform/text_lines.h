// Walking the lines of a text held in memory.
#pragma once

#include <string_view>
#include <type_traits>

namespace tarnwick {

// Calls take(line) for each line of the text, without its line end (LF, or CR LF). A take that
// returns bool stops the walk by returning false.
template <typename Take>
void ForEachLine(std::string_view text, Take take) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if constexpr (std::is_void_v<decltype(take(line))>) {
      take(line);
    } else if (!take(line)) {
      return;
    }
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

}  // namespace tarnwick
