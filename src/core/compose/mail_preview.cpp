#include "core/compose/mail_preview.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/compose/command_words.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

constexpr std::string_view kMask = "********";

// A configuration file's password values: "admin_passwd = secret".
bool IsConfigPassword(std::string_view line, const std::vector<LineWord>& words) {
  const auto text = [&](std::size_t index) {
    return line.substr(words[index].begin, words[index].end - words[index].begin);
  };
  return words.size() > 2 && text(1) == "=" && text(0).ends_with("_passwd");
}

// fml's command lines start with "#"; every other line is read as Majordomo reads it.
std::string MaskLine(std::string_view line) {
  const std::vector<LineWord> words = WordsOf(line);
  if (IsConfigPassword(line, words)) {
    return std::string(line.substr(0, words[2].begin))
        .append(kMask)
        .append(line.substr(words[2].end));
  }
  const bool fml =
      !words.empty() && line.substr(words[0].begin, words[0].end - words[0].begin) == "#";
  return MaskedLine(fml ? ServerKind::Fml : ServerKind::Majordomo, line, kMask);
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
