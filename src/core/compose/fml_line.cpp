#include "core/compose/fml_line.h"

#include <algorithm>
#include <regex>
#include <vector>

#include "core/compose/command_words.h"
#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"

namespace tarnwick {
namespace {

// fml's character classes as perl sees bytes: \w and \s are ASCII only, whatever the locale.
const std::string kWord = "[A-Za-z0-9_]";
const std::string kSpace = "[ \\t\\n\\r\\f\\v]";
const std::string kDigit = "[0-9]";
// Lines that set a password may hold "[]?*" as well.
std::string PasswordWords() {
  std::string words;
  for (std::string_view command : FmlPasswordCommands())
    words.append(words.empty() ? "(" : "|").append(command);
  return words + ")";
}
const std::string kPasswordSafe = "[-#A-Za-z0-9_ \\t\\n\\r\\f\\v\\[\\]?*.,@:]+";

// "a/b" between word characters is allowed: each match takes both of its word characters, so
// "a/b/c" keeps its second slash, as perl's s///g does.
std::string JoinWordSlashes(std::string_view line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (i + 2 < line.size() && IsAsciiWordChar(line[i]) && line[i + 1] == '/' &&
        IsAsciiWordChar(line[i + 2])) {
      out += line[i];
      out += line[i + 2];
      i += 2;
    } else {
      out += line[i];
    }
  }
  return out;
}

// The text fml finally matches against its safe set, after the forms it lets through.
std::string Normalised(std::string_view line, bool adminMode) {
  static const std::regex kDigestForms[] = {
      std::regex(kSpace + "+m=" + kDigit + "+"), std::regex(kSpace + "+[rs]=" + kWord + "+"),
      std::regex(kSpace + "+[rms]=" + kDigit + "+" + kWord + "+")};
  static const std::regex kExtendedAddress("\\+[-A-Za-z0-9_.]+@[-A-Za-z0-9_.]+");
  std::string text = JoinWordSlashes(line);
  // Each form needs its "=" or "+": most lines hold neither, and the regexes cost.
  if (text.find('=') != std::string::npos) {
    for (const std::regex& form : kDigestForms)
      text = std::regex_replace(text, form, " ");
  }
  if (adminMode && text.find('+') != std::string::npos)
    text = std::regex_replace(text, kExtendedAddress, "");
  return text;
}

bool PasswordLine(const std::string& text) {
  static const std::regex kForms[] = {
      std::regex("(#" + kSpace + "*|" + kSpace + "*)admin" + kSpace + "+" + PasswordWords() +
                 kSpace + "+" + kPasswordSafe),
      std::regex(kSpace + "*" + PasswordWords() + kSpace + "+" + kPasswordSafe)};
  for (const std::regex& form : kForms) {
    if (std::regex_match(text, form)) return true;
  }
  return false;
}

// The character of the line that holds its first byte outside ASCII: two bytes when they make
// one CP932 character, else the byte alone.
std::string FirstNonAsciiCharacter(std::string_view line) {
  const std::size_t at = static_cast<std::size_t>(
      std::find_if(line.begin(), line.end(), [](char c) { return !IsAscii(c); }) - line.begin());
  if (at == line.size()) return std::string();
  const bool pair = at + 1 < line.size() && IsCp932LeadByte(static_cast<unsigned char>(line[at])) &&
                    IsCp932TrailByte(static_cast<unsigned char>(line[at + 1]));
  return std::string(line.substr(at, pair ? 2 : 1));
}

bool IsPerlSpace(char c) {
  return std::string_view(" \t\n\r\f\v").find(c) != std::string_view::npos;
}

// A byte of fml's safe set: [-#A-Za-z0-9_ \t\n\r\f\v.,@:] (perl's \s is ASCII here too).
bool IsSafeByte(char c) {
  return IsAsciiWordChar(c) || IsPerlSpace(c) ||
         std::string_view("-#.,@:").find(c) != std::string_view::npos;
}

std::optional<std::string> UnsafeCharacter(std::string_view line, bool adminMode) {
  const std::string text = Normalised(line, adminMode);
  const bool safe = !text.empty() && std::all_of(text.begin(), text.end(), IsSafeByte);
  if (safe || PasswordLine(text)) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSafeByte(text[i])) continue;
    if (IsAscii(text[i])) return text.substr(i, 1);
    // The forms fml lets through are ASCII and leave every other byte in its order: the first
    // such byte here is the line's first, and the line says which character it begins.
    return FirstNonAsciiCharacter(line);
  }
  return std::string();  // an empty line: fml skips it, and we never compose one
}

// fml's "#\s*admin\s+(\w*)(.*)" (letter case ignored): the command word and what follows it,
// nothing when the line is no administrator's command. As in perl, "." takes no line end.
std::optional<std::pair<std::string_view, std::string_view>> AdminParts(std::string_view line) {
  std::size_t at = 0;
  const auto skipSpaces = [&] {
    const std::size_t from = at;
    while (at < line.size() && IsPerlSpace(line[at]))
      ++at;
    return at > from;
  };
  if (line.empty() || line[0] != '#') return std::nullopt;
  ++at;
  skipSpaces();
  if (line.size() - at < 5 || LowerAscii(line.substr(at, 5)) != "admin") return std::nullopt;
  at += 5;
  if (!skipSpaces()) return std::nullopt;
  const std::size_t word = at;
  while (at < line.size() && IsAsciiWordChar(line[at]))
    ++at;
  const std::string_view rest = line.substr(at);
  if (rest.find_first_of("\n\r") != std::string_view::npos) return std::nullopt;
  return std::pair(line.substr(word, at - word), rest);
}

// An administrator's command is checked once more without its "# admin" prefix, each run of
// blanks after the command word made one space.
std::optional<std::string> UnsafeInAdminCommand(std::string_view line) {
  const auto parts = AdminParts(line);
  if (!parts) return std::nullopt;
  std::string text = LowerAscii(parts->first);
  for (std::size_t i = 0; i < parts->second.size(); ++i) {
    if (!IsPerlSpace(parts->second[i])) {
      text += parts->second[i];
    } else if (i == 0 || !IsPerlSpace(parts->second[i - 1])) {
      text += ' ';
    }
  }
  return UnsafeCharacter(text, true);
}

}  // namespace

std::optional<FmlLineProblem> CheckFmlLine(std::string_view line) {
  if (line.size() > kFmlMaxLineBytes) return FmlLineProblem{FmlLineProblem::TooLong, {}};
  const auto holds = [line](std::string_view word) {
    return std::search(line.begin(), line.end(), word.begin(), word.end(),
                       [](char a, char b) { return ToAsciiLower(a) == b; }) != line.end();
  };
  const bool adminMode = holds("admin") || holds("approve");
  std::optional<std::string> unsafe = UnsafeCharacter(line, adminMode);
  if (!unsafe && adminMode) unsafe = UnsafeInAdminCommand(line);
  if (!unsafe) return std::nullopt;
  // Nothing unsafe in it, and still not safe: nothing was there to check.
  if (unsafe->empty()) return FmlLineProblem{FmlLineProblem::NoCommand, {}};
  return FmlLineProblem{FmlLineProblem::UnsafeCharacter, std::move(*unsafe)};
}

}  // namespace tarnwick
