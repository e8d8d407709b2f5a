// What fml does with one line of a command mail before it runs it. fml skips a line longer than
// its limit, and a line holding a character outside its safe set is never run: fml stops the
// whole mail there and mails a security alert quoting it, password included, to the list's
// maintainer. The rule is fml's own, character for character, so that nothing we compose can
// set that alert off.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// fml's default limit for one command line, line end not counted.
inline constexpr std::size_t kFmlMaxLineBytes = 128;

struct FmlLineProblem {
  enum Kind {
    TooLong,
    UnsafeCharacter,
    NoCommand,  // "# admin" with nothing after it: fml's check refuses the empty command
  } kind;
  std::string character;  // UnsafeCharacter: the first one fml refuses (a whole CP932 character)
};

// Nothing when fml runs the line (CP932, without its line end) as it stands.
std::optional<FmlLineProblem> CheckFmlLine(std::string_view line);

}  // namespace tarnwick
