#include "core/compose/mail_preview.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kMask = "********";

struct Word {
  std::size_t begin;
  std::size_t end;
};

std::vector<Word> WordsOf(std::string_view line) {
  std::vector<Word> words;
  std::size_t at = line.find_first_not_of(kBlanks);
  while (at != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
    words.push_back({at, end});
    at = line.find_first_not_of(kBlanks, end);
  }
  return words;
}

std::string_view TextOf(std::string_view line, const Word& word) {
  return line.substr(word.begin, word.end - word.begin);
}

bool IsWord(std::string_view line, const Word& word, std::string_view expected) {
  return TextOf(line, word) == expected;
}

// The positions of the words that are passwords in a command line.
std::vector<std::size_t> PasswordWords(std::string_view line, const std::vector<Word>& words) {
  if (words.empty()) return {};
  static constexpr std::array<std::string_view, 6> kListPassword{
      "config", "newconfig", "writeconfig", "newinfo", "newintro", "mkdigest"};
  for (std::string_view command : kListPassword)
    if (IsWord(line, words[0], command)) return {2};
  if (IsWord(line, words[0], "approve")) return {1};
  if (IsWord(line, words[0], "passwd")) return {2, 3};
  if (words.size() > 2 && IsWord(line, words[0], "#") && IsWord(line, words[1], "approve"))
    return {2};
  if (words.size() > 2 && IsWord(line, words[0], "#") && IsWord(line, words[1], "admin")) {
    for (std::string_view command : {"pass", "password", "passwd"})
      if (IsWord(line, words[2], command)) return {3};
    if (IsWord(line, words[2], "initpass")) return {4};
  }
  // A configuration file's password values: "admin_passwd = secret".
  if (words.size() > 2 && IsWord(line, words[1], "=") &&
      TextOf(line, words[0]).ends_with("_passwd"))
    return {2};
  return {};
}

std::string MaskLine(std::string_view line) {
  const std::vector<Word> words = WordsOf(line);
  std::string masked;
  std::size_t copied = 0;
  for (std::size_t index : PasswordWords(line, words)) {
    if (index >= words.size()) continue;
    masked.append(line.substr(copied, words[index].begin - copied)).append(kMask);
    copied = words[index].end;
  }
  return masked.append(line.substr(copied));
}

bool LabelledIso2022Jp(std::string_view header) {
  return LowerAscii(header).find("charset=iso-2022-jp") != std::string::npos;
}

}  // namespace

std::string MaskPasswords(std::string_view mail) {
  std::string masked;
  masked.reserve(mail.size());
  std::size_t at = 0;
  while (at < mail.size()) {
    const std::size_t newline = mail.find('\n', at);
    const std::size_t end = newline == std::string_view::npos ? mail.size() : newline + 1;
    std::string_view line = mail.substr(at, end - at);
    std::size_t content = line.size();
    while (content > 0 && (line[content - 1] == '\n' || line[content - 1] == '\r'))
      --content;
    masked.append(MaskLine(line.substr(0, content))).append(line.substr(content));
    at = end;
  }
  return masked;
}

std::string MailForDisplay(std::string_view mail) {
  std::size_t split = mail.find("\r\n\r\n");
  std::size_t skip = 4;
  if (split == std::string_view::npos) {
    split = mail.find("\n\n");
    skip = 2;
  }
  if (split == std::string_view::npos) return Cp932ToUtf8(mail);
  const std::string_view header = mail.substr(0, split + skip);
  const std::string_view body = mail.substr(split + skip);
  if (LabelledIso2022Jp(header)) {
    if (std::optional<std::string> text = ToUtf8(body, Encoding::Iso2022Jp))
      return Cp932ToUtf8(header) + *text;
  }
  return Cp932ToUtf8(mail);
}

}  // namespace tarnwick
