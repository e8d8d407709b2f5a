#include "core/compose/command_mail.h"

#include <algorithm>
#include <ctime>
#include <optional>

#include "core/compose/command_body.h"
#include "core/compose/list_text.h"
#include "core/compose/mail_header.h"
#include "core/compose/mail_identity.h"
#include "core/compose/value_rules.h"

namespace tarnwick {
namespace {

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
  if (command == nullptr || !IsOffered(*command, list.Type)) {
    return {ComposeStatus::NotOffered, {}};
  }
  if (AnyLineBreak(list, input)) return Refused("改行を含む値はｺﾏﾝﾄﾞﾒｰﾙに使えません");
  if (Refusal refusal = CheckListPassword(list)) return Refused(std::move(*refusal));
  Composer composer(list, input);
  const std::optional<Body> body = command->body(composer);
  if (!body) {
    return {ComposeStatus::NothingToQueue,
            command->addressList ? "ｱﾄﾞﾚｽが追加されていません" : "入力が足りません"};
  }
  if (composer.refusal()) return Refused(*composer.refusal());
  if (Refusal refusal = CheckCommandLines(list.Type, body->commands))
    return Refused(std::move(*refusal));
  const std::time_t now = std::time(nullptr);
  FormatMailHeader(list, text, now);
  text += FormatIdentityLines(body->title, list.Admin, NewMailToken(), now);
  text += Line({"X-Command: ", body->title});
  if (body->japanese) text += kIso2022JpHeader;
  text += kCrLf;
  text += body->commands;
  text += body->content;
  return {ComposeStatus::Composed, {}};
}

}  // namespace tarnwick
