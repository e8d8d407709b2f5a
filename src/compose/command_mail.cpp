#include "compose/command_mail.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

#include "compose/file_content.h"
#include "compose/list_text.h"
#include "compose/mail_header.h"
#include "compose/value_rules.h"
#include "platform/text_codec.h"
#include "platform/text_lines.h"

namespace tarnwick {
namespace {

struct Body {
  std::string_view title;  // the "X-Command:" value
  std::string commands;    // the command lines
  std::string content;     // a file's text after them, read by the server to the mail's end
  bool japanese = false;   // the content is ISO-2022-JP text
};

std::string Line(std::initializer_list<std::string_view> parts) {
  std::string line;
  for (std::string_view part : parts)
    line += part;
  return line + kCrLf;
}

bool IsFml(const MailingList& list) {
  return list.Type == kFml;
}

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

// Builds one command's body, checking each value on the way in; the first value refused
// decides, and a refused mail is never queued.
class Composer {
 public:
  Composer(const MailingList& list, const CommandInput& input) : list_(list), input_(input) {}

  const Refusal& refusal() const { return refusal_; }

  std::optional<Body> Compose(CommandId id);

 private:
  void Check(Refusal refusal) {
    if (!refusal_) refusal_ = std::move(refusal);
  }
  const std::string& Address(const std::string& address) {
    Check(CheckMemberAddress(address));
    if (IsFml(list_)) Check(CheckFmlValue("ｱﾄﾞﾚｽ", address));
    return address;
  }
  // A value of an fml command line that the command needs.
  const std::string& Required(std::string_view label, const std::string& value) {
    if (value.empty()) Check(std::string(label) + "が空です");
    return Optional(label, value);
  }
  const std::string& Optional(std::string_view label, const std::string& value) {
    Check(CheckFmlValue(label, value));
    return value;
  }
  const std::string& NewPassword() {
    Check(CheckNewPassword(list_.Type, input_.newPassword));
    return input_.newPassword;
  }
  std::string Content(std::string_view cp932Path) {
    FileContent file = ReadFileContent(cp932Path);
    Check(std::move(file.refusal));
    return std::move(file.bytes);
  }
  // Text for the list's members, which they read as ISO-2022-JP.
  std::string MemberText(std::string_view cp932Path, bool& japanese) {
    const std::string bytes = Content(cp932Path);
    if (refusal_) return {};
    ListText text = ToListText(bytes, cp932Path);
    Check(std::move(text.refusal));
    japanese = text.japanese;
    return std::move(text.text);
  }
  // Majordomo reads a text up to a line "EOF".
  std::string UpToEof(std::string_view cp932Path, std::string content) {
    Check(CheckNoEofLine(cp932Path, content));
    return content;
  }

  // fml takes the administrator's password on a line of its own before the command; Majordomo
  // bodies carry it inside their command lines instead.
  Body Fml(std::string_view title, std::string lines) const {
    const std::string pass =
        list_.Password.empty() ? std::string() : Line({"# admin pass ", list_.Password});
    return {title, pass + lines, {}};
  }

  std::optional<Body> AddressList(CommandId id);
  std::optional<Body> Chaddr();
  Body NewPassword(std::string_view title);
  Body InitPassword();
  Body Members();
  Body ListTextBody(std::string_view title, std::string_view fmlLine,
                    std::string_view majordomoWord);
  Body Config();
  Body Log();
  Body Pgp();
  Body FilePut();

  const MailingList& list_;
  const CommandInput& input_;
  Refusal refusal_;
};

struct AddressCommand {
  CommandId id;
  std::string_view title;
  std::string_view fmlKeyword;
  std::string_view majordomoWord;
};

constexpr std::array<AddressCommand, 7> kAddressCommands{{
    {ID_SUBSCRIBE_PLATE, "Subscribe Member", "# admin add ", "subscribe"},
    {ID_UNSUBSCRIBE_PLATE, "UnSubscribe Member", "# admin bye ", "unsubscribe"},
    {ID_OFF_PLATE, "Member Set Off", "# admin off ", ""},
    {ID_ON_PLATE, "Member Set On", "# admin on ", ""},
    // Post-only membership is what fml's "off" does: only the title differs.
    {ID_SKIP_PLATE, "Member Set Skip", "# admin off ", ""},
    {ID_ADDADMIN_PLATE, "AddAdmin", "# admin addadmin ", ""},
    {ID_BYEADMIN_PLATE, "ByeAdmin", "# admin byeadmin ", ""},
}};

std::optional<Body> Composer::AddressList(CommandId id) {
  const auto command = std::find_if(kAddressCommands.begin(), kAddressCommands.end(),
                                    [id](const AddressCommand& c) { return c.id == id; });
  if (input_.addresses.empty()) return std::nullopt;
  if (IsFml(list_)) {
    std::string lines;
    for (const std::string& address : input_.addresses)
      lines += Line({command->fmlKeyword, Address(address)});
    return Fml(command->title, std::move(lines));
  }
  Body body{command->title, {}, {}};
  for (const std::string& address : input_.addresses) {
    body.commands += Line({"approve ", list_.Password, " ", command->majordomoWord, " ", list_.Name,
                           " ", Address(address)});
  }
  body.commands += Line({"end"});
  return body;
}

std::optional<Body> Composer::Chaddr() {
  constexpr std::array<std::string_view, 3> kKeywords{"# admin chaddr ", "# admin change ",
                                                      "# admin change-address "};
  if (input_.oldValue.empty() || input_.newValue.empty()) return std::nullopt;
  const std::size_t choice = input_.choice >= 0 && input_.choice < 3 ? input_.choice : 0;
  return Fml("ChangeAddress",
             Line({kKeywords[choice], Address(input_.oldValue), " ", Address(input_.newValue)}));
}

Body Composer::NewPassword(std::string_view title) {
  if (IsFml(list_)) return Fml(title, Line({"# admin passwd ", NewPassword()}));
  return {title,
          Line({"passwd ", list_.Name, " ", list_.Password, " ", NewPassword()}) + Line({"end"}),
          {}};
}

Body Composer::InitPassword() {
  return Fml("Init Password",
             Line({"# admin initpass ", Address(input_.address), " ", NewPassword()}));
}

Body Composer::Members() {
  constexpr std::string_view kTitle = "Get Members List";
  if (IsFml(list_)) return Fml(kTitle, Line({"# admin members"}));
  return {kTitle, Line({"approve ", list_.Password, " who ", list_.Name}) + Line({"end"}), {}};
}

// newinfo, newguide and newintro: the file's content follows the command line, to the mail's end.
Body Composer::ListTextBody(std::string_view title, std::string_view fmlLine,
                            std::string_view majordomoWord) {
  Body body = IsFml(list_)
                  ? Fml(title, Line({fmlLine}))
                  : Body{title, Line({majordomoWord, " ", list_.Name, " ", list_.Password}), {}};
  body.content = MemberText(input_.file, body.japanese);
  if (!IsFml(list_)) body.content = UpToEof(input_.file, std::move(body.content));
  return body;
}

Body Composer::Config() {
  const bool send = input_.choice == 1;
  const std::string_view title = send ? "Change Config" : "Get Config";
  if (IsFml(list_)) {
    Body body = Fml(title, Line({send ? "# admin put config.ph" : "# admin get config.ph"}));
    if (send) body.content = Content(input_.file);
    return body;
  }
  if (!send) return {title, Line({"config ", list_.Name, " ", list_.Password}) + Line({"end"}), {}};
  Body body{title, Line({"newconfig ", list_.Name, " ", list_.Password}),
            UpToEof(input_.file, Content(input_.file))};
  // Majordomo reads the configuration up to a line "EOF": glued to a last line without a line
  // break it would become part of the last value.
  if (!body.content.empty() && body.content.back() != '\n') body.content += kCrLf;
  body.content += Line({"EOF"});
  return body;
}

Body Composer::Log() {
  // "log -0" is no count to fml: it reads it as another command.
  if (input_.choice != 1 && input_.count == 0) Check("ﾛｸﾞの行数は1以上を指定してください");
  const std::string range = input_.choice == 1 ? "all" : "-" + std::to_string(input_.count);
  return Fml("Get Log File", Line({"# admin log ", range}));
}

Body Composer::Pgp() {
  const bool addKey = input_.choice != 1;
  Body body = Fml("PGP Command", Line({"# admin pgp ", addKey ? "-ka" : "-kv"}));
  if (addKey) body.content = Content(input_.file);
  return body;
}

Body Composer::FilePut() {
  Body body = Fml("Put File", Line({"# admin put ", Required("ﾌｧｲﾙ名", input_.file)}));
  body.content = MemberText(input_.localFile, body.japanese);
  return body;
}

std::optional<Body> Composer::Compose(CommandId id) {
  if (std::any_of(kAddressCommands.begin(), kAddressCommands.end(),
                  [id](const AddressCommand& c) { return c.id == id; })) {
    return AddressList(id);
  }
  switch (id) {
    case ID_NEWPASSWORD_PLATE:
      return NewPassword("Set New Password");
    case ID_INITPASSWORD_PLATE:
      return InitPassword();
    case ID_MEMBERS_PLATE:
      return Members();
    case ID_CHADDR_PLATE:
      return Chaddr();
    case ID_MATOME_PLATE:
      Check(CheckMatomeMode(input_.mode));
      return Fml("Set Matome mode",
                 Line({"# admin matome ", Address(input_.address), " ", input_.mode}));
    case ID_FILELIST_PLATE:
      return Fml("Get File List", Line({"# admin ls ", Optional("ｵﾌﾟｼｮﾝ", input_.option)}));
    case ID_FILEGET_PLATE:
      return Fml("Get File", Line({"# admin get ", Required("ﾌｧｲﾙ名", input_.file)}));
    case ID_FILEPUT_PLATE:
      return FilePut();
    case ID_REMOVE_PLATE:
      return Fml("Remove File", Line({"# admin remove ", Required("ﾌｧｲﾙ名", input_.file)}));
    case ID_RENAME_PLATE:
      return Fml("Rename File",
                 Line({"# admin rename ", Required("変更前のﾌｧｲﾙ名", input_.oldValue), " ",
                       Required("変更後のﾌｧｲﾙ名", input_.newValue)}));
    case ID_NEWINFO_PLATE:
      return ListTextBody("Set New Info File", "# admin newinfo", "newinfo");
    case ID_NEWGUIDE_PLATE:
      return ListTextBody("Set New Guide File", "# admin newguide", "");
    case ID_NEWINTRO_PLATE:
      return ListTextBody("Set New Intro File", "", "newintro");
    case ID_UNLINK_PLATE:
      return Fml("Unlink Article(s)",
                 Line({"# admin unlink-article ", Required("記事番号", input_.article)}));
    case ID_CONFIG_PLATE:
      return Config();
    case ID_HELP_PLATE:
      return Fml("Get Help", Line({"# admin help"}));
    case ID_LOG_PLATE:
      return Log();
    case ID_PGP_PLATE:
      return Pgp();
    case ID_DEBUG_PLATE:
      return Body{"Debug Mode", Line({"# set debug"}), {}};  // the only body without a pass line
    default:
      return std::nullopt;
  }
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Every value that goes into a line of the mail must stay on that line.
bool AnyLineBreak(const MailingList& list, const CommandInput& input) {
  for (std::string_view text :
       {std::string_view(list.Admin), std::string_view(list.Address), std::string_view(list.Name),
        std::string_view(list.Password), std::string_view(input.address),
        std::string_view(input.oldValue), std::string_view(input.newValue),
        std::string_view(input.mode), std::string_view(input.newPassword),
        std::string_view(input.file), std::string_view(input.localFile),
        std::string_view(input.option), std::string_view(input.article)}) {
    if (HasLineBreak(text)) return true;
  }
  return std::any_of(input.addresses.begin(), input.addresses.end(),
                     [](const std::string& address) { return HasLineBreak(address); });
}

ComposeResult Refused(std::string reason) {
  return {ComposeStatus::Refused, std::move(reason)};
}

}  // namespace

ComposeResult BuildMail(CommandId id, const MailingList& list, const CommandInput& input,
                        std::string& text) {
  text.clear();
  const CommandInfo* command = FindCommand(id);
  if (command == nullptr || !IsOffered(*command, list.Type)) return {ComposeStatus::NotOffered, {}};
  if (AnyLineBreak(list, input)) return Refused("改行を含む値はｺﾏﾝﾄﾞﾒｰﾙに使えません");
  if (Refusal refusal = CheckListPassword(list)) return Refused(std::move(*refusal));
  Composer composer(list, input);
  const std::optional<Body> body = composer.Compose(id);
  if (!body) return {ComposeStatus::NothingToQueue, {}};
  if (composer.refusal()) return Refused(*composer.refusal());
  if (Refusal refusal = CheckCommandLines(list.Type, body->commands))
    return Refused(std::move(*refusal));
  FormatMailHeader(list, text);
  text += Line({"X-Command: ", body->title});
  if (body->japanese) text += kIso2022JpHeader;
  text += kCrLf;
  text += body->commands;
  text += body->content;
  return {ComposeStatus::Composed, {}};
}

}  // namespace tarnwick
