#include "core/compose/command_body.h"

#include <array>

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

// The bodies of the catalogue's commands.

std::optional<Body> NewPasswordBody(Composer& c) {
  constexpr std::string_view kTitle = "Set New Password";
  if (c.fml()) return c.Fml(kTitle, Line({"# admin passwd ", c.NewPassword()}));
  const MailingList& list = c.list();
  return Body{
      kTitle,
      Line({"passwd ", list.Name, " ", list.Password, " ", c.NewPassword()}) + Line({"end"}),
      {}};
}

std::optional<Body> MembersBody(Composer& c) {
  constexpr std::string_view kTitle = "Get Members List";
  if (c.fml()) return c.Fml(kTitle, Line({"# admin members"}));
  return Body{
      kTitle, Line({"approve ", c.list().Password, " who ", c.list().Name}) + Line({"end"}), {}};
}

std::optional<Body> ChaddrBody(Composer& c) {
  constexpr std::array<std::string_view, 3> kKeywords{"# admin chaddr ", "# admin change ",
                                                      "# admin change-address "};
  const CommandInput& input = c.input();
  if (input.oldValue.empty() || input.newValue.empty()) return std::nullopt;
  const std::size_t choice = input.choice >= 0 && input.choice < 3 ? input.choice : 0;
  return c.Fml("ChangeAddress", Line({kKeywords[choice], c.Address(input.oldValue), " ",
                                      c.Address(input.newValue)}));
}

std::optional<Body> MatomeBody(Composer& c) {
  c.Check(CheckMatomeMode(c.input().mode));
  return c.Fml("Set Matome mode",
               Line({"# admin matome ", c.Address(c.input().address), " ", c.input().mode}));
}

std::optional<Body> FilePutBody(Composer& c) {
  Body body = c.Fml("Put File", Line({"# admin put ", c.Required("ﾌｧｲﾙ名", c.input().file)}));
  body.content = c.MemberText(c.input().localFile, body.japanese);
  return body;
}

std::optional<Body> ConfigBody(Composer& c) {
  const bool send = c.input().choice == 1;
  const std::string_view title = send ? "Change Config" : "Get Config";
  const MailingList& list = c.list();
  if (c.fml()) {
    Body body = c.Fml(title, Line({send ? "# admin put config.ph" : "# admin get config.ph"}));
    if (send) body.content = c.Content(c.input().file);
    return body;
  }
  if (!send) {
    return Body{title, Line({"config ", list.Name, " ", list.Password}) + Line({"end"}), {}};
  }
  Body body{title, Line({"newconfig ", list.Name, " ", list.Password}),
            c.UpToEof(c.input().file, c.Content(c.input().file))};
  // Majordomo reads the configuration up to a line "EOF": glued to a last line without a line
  // break it would become part of the last value.
  if (!body.content.empty() && body.content.back() != '\n') body.content += kCrLf;
  body.content += Line({"EOF"});
  return body;
}

std::optional<Body> LogBody(Composer& c) {
  const CommandInput& input = c.input();
  // "log -0" is no count to fml: it reads it as another command.
  if (input.choice != 1 && input.count == 0) c.Check("ﾛｸﾞの行数は1以上を指定してください");
  const std::string range = input.choice == 1 ? "all" : "-" + std::to_string(input.count);
  return c.Fml("Get Log File", Line({"# admin log ", range}));
}

std::optional<Body> PgpBody(Composer& c) {
  const bool addKey = c.input().choice != 1;
  Body body = c.Fml("PGP Command", Line({"# admin pgp ", addKey ? "-ka" : "-kv"}));
  if (addKey) body.content = c.Content(c.input().file);
  return body;
}

std::optional<Body> InitPasswordBody(Composer& c) {
  return c.Fml("Init Password",
               Line({"# admin initpass ", c.Address(c.input().address), " ", c.NewPassword()}));
}

std::optional<Body> SubscribeBody(Composer& c) {
  return c.AddressList("Subscribe Member", "# admin add ", "subscribe");
}

std::optional<Body> UnsubscribeBody(Composer& c) {
  return c.AddressList("UnSubscribe Member", "# admin bye ", "unsubscribe");
}

std::optional<Body> OffBody(Composer& c) {
  return c.AddressList("Member Set Off", "# admin off ", "");
}

std::optional<Body> OnBody(Composer& c) {
  return c.AddressList("Member Set On", "# admin on ", "");
}

std::optional<Body> SkipBody(Composer& c) {
  return c.AddressList("Member Set Skip", "# admin off ", "");
}

std::optional<Body> AddAdminBody(Composer& c) {
  return c.AddressList("AddAdmin", "# admin addadmin ", "");
}

std::optional<Body> ByeAdminBody(Composer& c) {
  return c.AddressList("ByeAdmin", "# admin byeadmin ", "");
}

std::optional<Body> FileListBody(Composer& c) {
  return c.Fml("Get File List", Line({"# admin ls ", c.Optional("ｵﾌﾟｼｮﾝ", c.input().option)}));
}

std::optional<Body> FileGetBody(Composer& c) {
  return c.Fml("Get File", Line({"# admin get ", c.Required("ﾌｧｲﾙ名", c.input().file)}));
}

std::optional<Body> RemoveBody(Composer& c) {
  return c.Fml("Remove File", Line({"# admin remove ", c.Required("ﾌｧｲﾙ名", c.input().file)}));
}

std::optional<Body> RenameBody(Composer& c) {
  return c.Fml("Rename File",
               Line({"# admin rename ", c.Required("変更前のﾌｧｲﾙ名", c.input().oldValue), " ",
                     c.Required("変更後のﾌｧｲﾙ名", c.input().newValue)}));
}

std::optional<Body> NewInfoBody(Composer& c) {
  return c.ListTextBody("Set New Info File", "# admin newinfo", "newinfo");
}

std::optional<Body> NewIntroBody(Composer& c) {
  return c.ListTextBody("Set New Intro File", "", "newintro");
}

std::optional<Body> NewGuideBody(Composer& c) {
  return c.ListTextBody("Set New Guide File", "# admin newguide", "");
}

std::optional<Body> UnlinkBody(Composer& c) {
  return c.Fml("Unlink Article(s)",
               Line({"# admin unlink-article ", c.Required("記事番号", c.input().article)}));
}

std::optional<Body> HelpBody(Composer& c) {
  return c.Fml("Get Help", Line({"# admin help"}));
}

std::optional<Body> DebugBody(Composer&) {
  return Body{"Debug Mode", Line({"# set debug"}), {}};
}

}  // namespace tarnwick
