// Building one command's body: the lines its server reads, each value checked on its way in.
// The catalogue's rows compose their bodies with this; the first value refused decides, and a
// refused mail is never queued.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/compose/command_input.h"
#include "core/platform/refusal.h"
#include "core/store/mailing_list.h"

namespace tarnwick {

struct Body {
  std::string_view title;  // the "X-Command:" value
  std::string commands;    // the command lines
  std::string content;     // a file's text after them, read by the server to the mail's end
  bool japanese = false;   // the content is ISO-2022-JP text
};

// The parts joined, and CR LF.
std::string Line(std::initializer_list<std::string_view> parts);

class Composer {
 public:
  Composer(const MailingList& list, const CommandInput& input) : list_(list), input_(input) {}

  const Refusal& refusal() const { return refusal_; }
  const MailingList& list() const { return list_; }
  const CommandInput& input() const { return input_; }
  bool fml() const { return list_.Type == ServerKind::Fml; }

  // The value as it goes into a line, once it has been checked.
  const std::string& Address(const std::string& address);
  // A value of an fml command line: one word the command needs (Required), or words it may lack
  // (Optional).
  const std::string& Required(std::string_view label, const std::string& value);
  const std::string& Optional(std::string_view label, const std::string& value);
  const std::string& NewPassword();
  void Check(Refusal refusal);

  // A file's bytes, whole; its text as members read it (ISO-2022-JP); Majordomo's text up to
  // a line "EOF", which must not be in it.
  std::string Content(std::string_view cp932Path);
  std::string MemberText(std::string_view cp932Path, bool& japanese);
  std::string UpToEof(std::string_view cp932Path, std::string content);

  // fml takes the administrator's password on a line of its own before the command; Majordomo
  // bodies carry it inside their command lines instead.
  Body Fml(std::string_view title, std::string lines) const;

  // The bodies several commands share: one line per member address; a list text after its
  // command line.
  std::optional<Body> AddressList(std::string_view title, std::string_view fmlKeyword,
                                  std::string_view majordomoWord);
  Body ListTextBody(std::string_view title, std::string_view fmlLine,
                    std::string_view majordomoWord);

 private:
  const MailingList& list_;
  const CommandInput& input_;
  Refusal refusal_;
};

// The body of each command of the catalogue; nothing when the command lacks its input.
std::optional<Body> NewPasswordBody(Composer& c);
std::optional<Body> InitPasswordBody(Composer& c);
std::optional<Body> MembersBody(Composer& c);
std::optional<Body> SubscribeBody(Composer& c);
std::optional<Body> UnsubscribeBody(Composer& c);
std::optional<Body> OffBody(Composer& c);
std::optional<Body> OnBody(Composer& c);
std::optional<Body> ChaddrBody(Composer& c);
std::optional<Body> MatomeBody(Composer& c);
std::optional<Body> SkipBody(Composer& c);
std::optional<Body> AddAdminBody(Composer& c);
std::optional<Body> ByeAdminBody(Composer& c);
std::optional<Body> FileListBody(Composer& c);
std::optional<Body> FileGetBody(Composer& c);
std::optional<Body> FilePutBody(Composer& c);
std::optional<Body> RemoveBody(Composer& c);
std::optional<Body> RenameBody(Composer& c);
std::optional<Body> NewInfoBody(Composer& c);
std::optional<Body> NewIntroBody(Composer& c);
std::optional<Body> NewGuideBody(Composer& c);
std::optional<Body> UnlinkBody(Composer& c);
std::optional<Body> ConfigBody(Composer& c);
std::optional<Body> HelpBody(Composer& c);
std::optional<Body> LogBody(Composer& c);
std::optional<Body> PgpBody(Composer& c);
std::optional<Body> DebugBody(Composer& c);

}  // namespace tarnwick
