#include "compose/command_mail.h"

#include <array>
#include <initializer_list>
#include <optional>

#include "compose/file_content.h"
#include "compose/mail_header.h"

namespace tarnwick {
namespace {

struct Body {
  std::string_view title;  // the "X-Command:" value
  std::string text;
  bool fileTooLarge = false;
};

std::string Line(std::initializer_list<std::string_view> parts) {
  std::string line;
  for (std::string_view part : parts)
    line += part;
  return line + kCrLf;
}

// FML takes the administrator's password on a line of its own before the command; Majordomo
// bodies carry it inside their command lines instead.
std::string PassLine(const MailingList& list) {
  return list.Password.empty() ? std::string() : Line({"# admin pass ", list.Password});
}

bool IsFml(const MailingList& list) {
  return list.Type == kFml;
}

Body Fml(std::string_view title, const MailingList& list, std::string lines) {
  return {title, PassLine(list) + lines};
}

void AppendContent(Body& body, std::string_view file) {
  if (AppendFileContent(file, body.text) == FileContent::TooLarge) body.fileTooLarge = true;
}

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

std::optional<Body> AddressListBody(const AddressCommand& command, const MailingList& list,
                                    const CommandInput& input) {
  if (input.addresses.empty()) return std::nullopt;
  if (IsFml(list)) {
    std::string lines;
    for (const std::string& address : input.addresses)
      lines += Line({command.fmlKeyword, address});
    return Fml(command.title, list, std::move(lines));
  }
  Body body{command.title, {}};
  for (const std::string& address : input.addresses) {
    body.text +=
        Line({"approve ", list.Password, " ", command.majordomoWord, " ", list.Name, " ", address});
  }
  body.text += Line({"end"});
  return body;
}

std::optional<Body> ChaddrBody(const MailingList& list, const CommandInput& input) {
  constexpr std::array<std::string_view, 3> kKeywords{"# admin chaddr ", "# admin change ",
                                                      "# admin change-address "};
  if (input.oldValue.empty() || input.newValue.empty()) return std::nullopt;
  const std::size_t choice = input.choice >= 0 && input.choice < 3 ? input.choice : 0;
  return Fml("ChangeAddress", list, Line({kKeywords[choice], input.oldValue, " ", input.newValue}));
}

Body NewPasswordBody(const MailingList& list, const CommandInput& input) {
  constexpr std::string_view kTitle = "Set New Password";
  if (IsFml(list)) return Fml(kTitle, list, Line({"# admin passwd ", input.newPassword}));
  return {kTitle,
          Line({"passwd ", list.Name, " ", list.Password, " ", input.newPassword}) + Line({"end"})};
}

Body MembersBody(const MailingList& list) {
  constexpr std::string_view kTitle = "Get Members List";
  if (IsFml(list)) return Fml(kTitle, list, Line({"# admin members"}));
  return {kTitle, Line({"approve ", list.Password, " who ", list.Name}) + Line({"end"})};
}

// newinfo, newguide and newintro: the file's content follows the command line, to the mail's end.
Body ListTextBody(std::string_view title, std::string_view fmlLine, std::string_view majordomoWord,
                  const MailingList& list, const CommandInput& input) {
  Body body = IsFml(list) ? Fml(title, list, Line({fmlLine}))
                          : Body{title, Line({majordomoWord, " ", list.Name, " ", list.Password})};
  AppendContent(body, input.file);
  return body;
}

Body ConfigBody(const MailingList& list, const CommandInput& input) {
  const bool send = input.choice == 1;
  const std::string_view title = send ? "Change Config" : "Get Config";
  if (IsFml(list)) {
    Body body = Fml(title, list, Line({send ? "# admin put config.ph" : "# admin get config.ph"}));
    if (send) AppendContent(body, input.file);
    return body;
  }
  if (!send) return {title, Line({"config ", list.Name, " ", list.Password}) + Line({"end"})};
  Body body{title, Line({"newconfig ", list.Name, " ", list.Password})};
  AppendContent(body, input.file);
  // Majordomo reads the configuration up to a line "EOF": glued to a last line without a line
  // break it would become part of the last value.
  if (body.text.back() != '\n') body.text += kCrLf;
  body.text += Line({"EOF"});
  return body;
}

Body LogBody(const MailingList& list, const CommandInput& input) {
  const std::string range = input.choice == 1 ? "all" : "-" + std::to_string(input.count);
  return Fml("Get Log File", list, Line({"# admin log ", range}));
}

Body PgpBody(const MailingList& list, const CommandInput& input) {
  const bool addKey = input.choice != 1;
  Body body = Fml("PGP Command", list, Line({"# admin pgp ", addKey ? "-ka" : "-kv"}));
  if (addKey) AppendContent(body, input.file);
  return body;
}

Body FilePutBody(const MailingList& list, const CommandInput& input) {
  Body body = Fml("Put File", list, Line({"# admin put ", input.file}));
  AppendContent(body, input.localFile);
  return body;
}

std::optional<Body> Compose(CommandId id, const MailingList& list, const CommandInput& input) {
  for (const AddressCommand& command : kAddressCommands) {
    if (command.id == id) return AddressListBody(command, list, input);
  }
  switch (id) {
    case ID_NEWPASSWORD_PLATE:
      return NewPasswordBody(list, input);
    case ID_INITPASSWORD_PLATE:
      return Fml("Init Password", list,
                 Line({"# admin initpass ", input.address, " ", input.newPassword}));
    case ID_MEMBERS_PLATE:
      return MembersBody(list);
    case ID_CHADDR_PLATE:
      return ChaddrBody(list, input);
    case ID_MATOME_PLATE:
      return Fml("Set Matome mode", list,
                 Line({"# admin matome ", input.address, " ", input.mode}));
    case ID_FILELIST_PLATE:
      return Fml("Get File List", list, Line({"# admin ls ", input.option}));
    case ID_FILEGET_PLATE:
      return Fml("Get File", list, Line({"# admin get ", input.file}));
    case ID_FILEPUT_PLATE:
      return FilePutBody(list, input);
    case ID_REMOVE_PLATE:
      return Fml("Remove File", list, Line({"# admin remove ", input.file}));
    case ID_RENAME_PLATE:
      return Fml("Rename File", list,
                 Line({"# admin rename ", input.oldValue, " ", input.newValue}));
    case ID_NEWINFO_PLATE:
      return ListTextBody("Set New Info File", "# admin newinfo", "newinfo", list, input);
    case ID_NEWGUIDE_PLATE:
      return ListTextBody("Set New Guide File", "# admin newguide", "", list, input);
    case ID_NEWINTRO_PLATE:
      return ListTextBody("Set New Intro File", "", "newintro", list, input);
    case ID_UNLINK_PLATE:
      return Fml("Unlink Article(s)", list, Line({"# admin unlink-article ", input.article}));
    case ID_CONFIG_PLATE:
      return ConfigBody(list, input);
    case ID_HELP_PLATE:
      return Fml("Get Help", list, Line({"# admin help"}));
    case ID_LOG_PLATE:
      return LogBody(list, input);
    case ID_PGP_PLATE:
      return PgpBody(list, input);
    case ID_DEBUG_PLATE:
      return Body{"Debug Mode", Line({"# set debug"})};  // the only body without a pass line
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
  for (const std::string& address : input.addresses) {
    if (HasLineBreak(address)) return true;
  }
  return false;
}

}  // namespace

ComposeStatus BuildMail(CommandId id, const MailingList& list, const CommandInput& input,
                        std::string& text) {
  text.clear();
  const CommandInfo* command = FindCommand(id);
  if (command == nullptr || !IsOffered(*command, list.Type)) return ComposeStatus::NotOffered;
  const std::optional<Body> body = Compose(id, list, input);
  if (!body) return ComposeStatus::NothingToQueue;
  if (AnyLineBreak(list, input)) return ComposeStatus::LineBreakInText;
  if (body->fileTooLarge) return ComposeStatus::FileTooLarge;
  FormatMailHeader(list, text);
  text += Line({"X-Command: ", body->title});
  text += kCrLf;
  text += body->text;
  return ComposeStatus::Composed;
}

}  // namespace tarnwick
