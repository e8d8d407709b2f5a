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
const std::string kSafe = "[-#A-Za-z0-9_ \\t\\n\\r\\f\\v.,@:]";
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
  for (const std::regex& form : kDigestForms)
    text = std::regex_replace(text, form, " ");
  if (adminMode) text = std::regex_replace(text, kExtendedAddress, "");
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

std::optional<std::string> UnsafeCharacter(std::string_view line, bool adminMode) {
  const std::string text = Normalised(line, adminMode);
  static const std::regex kSafeText(kSafe + "+");
  if (PasswordLine(text) || std::regex_match(text, kSafeText)) return std::nullopt;
  static const std::regex kSafeByte(kSafe);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::regex_match(text.begin() + i, text.begin() + i + 1, kSafeByte)) continue;
    if (IsAscii(text[i])) return text.substr(i, 1);
    // The forms fml lets through are ASCII and leave every other byte in its order: the first
    // such byte here is the line's first, and the line says which character it begins.
    return FirstNonAsciiCharacter(line);
  }
  return std::string();  // an empty line: fml skips it, and we never compose one
}

// An administrator's command is checked once more without its "# admin" prefix.
std::optional<std::string> UnsafeInAdminCommand(std::string_view line) {
  static const std::regex kAdmin("#" + kSpace + "*admin" + kSpace + "+(" + kWord + "*)(.*)",
                                 std::regex::icase);
  std::match_results<std::string_view::const_iterator> match;
  if (!std::regex_match(line.begin(), line.end(), match, kAdmin)) return std::nullopt;
  std::string command = LowerAscii(match[1].str());
  static const std::regex kBlanks(kSpace + "+");
  const std::string options = std::regex_replace(match[2].str(), kBlanks, " ");
  return UnsafeCharacter(command + options, true);
}

}  // namespace

std::optional<FmlLineProblem> CheckFmlLine(std::string_view line) {
  if (line.size() > kFmlMaxLineBytes) return FmlLineProblem{FmlLineProblem::TooLong, {}};
  static const std::regex kAdminWord("admin|approve", std::regex::icase);
  const bool adminMode = std::regex_search(line.begin(), line.end(), kAdminWord);
  std::optional<std::string> unsafe = UnsafeCharacter(line, adminMode);
  if (!unsafe && adminMode) unsafe = UnsafeInAdminCommand(line);
  if (!unsafe) return std::nullopt;
  // Nothing unsafe in it, and still not safe: nothing was there to check.
  if (unsafe->empty()) return FmlLineProblem{FmlLineProblem::NoCommand, {}};
  return FmlLineProblem{FmlLineProblem::UnsafeCharacter, std::move(*unsafe)};
}

}  // namespace tarnwick
