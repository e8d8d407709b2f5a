#include "core/compose/command_body.h"

#include "core/compose/file_content.h"
#include "core/compose/list_text.h"
#include "core/compose/mail_header.h"
#include "core/compose/value_rules.h"
#include "core/platform/text_codec.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

// Majordomo ends a text it reads from a mail at a line "EOF"; the lines after it would run as
// commands.
Refusal CheckNoEofLine(std::string_view cp932Path, std::string_view content) {
  Refusal refusal;
  std::size_t number = 0;
  ForEachLine(content, [&](std::string_view line) {
    ++number;
    if (line == "EOF") {
      refusal = "ﾌｧｲﾙ「" + Cp932ToUtf8(cp932Path) + "」の" + std::to_string(number) +
                "行目が「EOF」です\nMajordomoはそこで本文を終え、続く行をｺﾏﾝﾄﾞとして実行します";
    }
    return !refusal;
  });
  return refusal;
}

}  // namespace

std::string Line(std::initializer_list<std::string_view> parts) {
  std::string line;
  for (std::string_view part : parts)
    line += part;
  return line + kCrLf;
}

void Composer::Check(Refusal refusal) {
  if (!refusal_) refusal_ = std::move(refusal);
}

const std::string& Composer::Address(const std::string& address) {
  Check(CheckAddressFor(list_.Type, address));
  return address;
}

const std::string& Composer::Required(std::string_view label, const std::string& value) {
  if (value.empty()) Check(std::string(label) + "が空です");
  Check(CheckFmlWord(label, value));
  return value;
}

const std::string& Composer::Optional(std::string_view label, const std::string& value) {
  Check(CheckFmlValue(label, value));
  return value;
}

const std::string& Composer::NewPassword() {
  Check(CheckNewPassword(list_.Type, input_.newPassword));
  return input_.newPassword;
}

std::string Composer::Content(std::string_view cp932Path) {
  FileContent file = ReadFileContent(cp932Path);
  Check(std::move(file.refusal));
  return std::move(file.bytes);
}

std::string Composer::MemberText(std::string_view cp932Path, bool& japanese) {
  const std::string bytes = Content(cp932Path);
  if (refusal_) return {};
  ListText text = ToListText(bytes, cp932Path);
  Check(std::move(text.refusal));
  japanese = text.japanese;
  return std::move(text.text);
}

std::string Composer::UpToEof(std::string_view cp932Path, std::string content) {
  Check(CheckNoEofLine(cp932Path, content));
  return content;
}

Body Composer::Fml(std::string_view title, std::string lines) const {
  const std::string pass =
      list_.Password.empty() ? std::string() : Line({"# admin pass ", list_.Password});
  return {title, pass + lines, {}};
}

std::optional<Body> Composer::AddressList(std::string_view title, std::string_view fmlKeyword,
                                          std::string_view majordomoWord) {
  if (input_.addresses.empty()) return std::nullopt;
  if (fml()) {
    std::string lines;
    for (const std::string& address : input_.addresses)
      lines += Line({fmlKeyword, Address(address)});
    return Fml(title, std::move(lines));
  }
  Body body{title, {}, {}};
  for (const std::string& address : input_.addresses) {
    body.commands += Line(
        {"approve ", list_.Password, " ", majordomoWord, " ", list_.Name, " ", Address(address)});
  }
  body.commands += Line({"end"});
  return body;
}

// newinfo, newguide and newintro: the file's content follows the command line, to the mail's end.
Body Composer::ListTextBody(std::string_view title, std::string_view fmlLine,
                            std::string_view majordomoWord) {
  Body body = fml() ? Fml(title, Line({fmlLine}))
                    : Body{title, Line({majordomoWord, " ", list_.Name, " ", list_.Password}), {}};
  body.content = MemberText(input_.file, body.japanese);
  if (!fml()) body.content = UpToEof(input_.file, std::move(body.content));
  return body;
}

}  // namespace tarnwick
