// One registered mailing list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// The kind of list server that runs a list (the list's `Type`), with the numbers the register
// stores. None is a new record or a stored one without "Type"; any value other than Majordomo and
// Fml means that no kind was chosen: such a list has no commands.
enum class ServerKind : std::int32_t { Majordomo = 0, Fml = 1, None = 2 };

struct MailingList {
  std::string Title;  // label in the register view, and how the command line names a list
  ServerKind Type = ServerKind::None;
  std::string Address;   // the list server's address: command mails go To it
  std::string Name;      // the list's name on the server, and the name of its queue folder
  std::string Admin;     // the administrator's address: command mails come From it
  std::string Password;  // the administrator password, as entered
  std::string GuideFile;
  std::string InfoFile;
  std::string IntroFile;
  std::string ConfigFile;
  // fml's $MAXNUM_COMMAND_INPUT where the list sets one: the command lines fml runs of one mail
  // (its "# admin pass" among them); 0 for no limit.
  std::uint32_t MaxCommands = 0;
  int MailCount = 0;  // command mails queued for the list
  // Where the password is kept when the desktop's secret service holds it: its id there (the
  // settings file keeps only that). Loading the register does not ask the service (that costs a
  // round trip a list): Password stays empty and pending until LoadPassword asks for it, and is
  // unavailable when the service could not give it back.
  std::string PasswordId;
  bool PasswordPending = false;
  bool PasswordUnavailable = false;
};

// "Majordomo", "FML", or empty for a list without a server kind.
std::string_view ServerKindName(ServerKind type);

// Copies the fields that the detail dialog edits (title, name, kind, server address,
// administrator address, password, fml's command limit); file fields and the count stay.
void CopyDetails(const MailingList& from, MailingList& to);

}  // namespace tarnwick
