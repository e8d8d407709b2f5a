// Every administrative command the program can send, one row each: its id (the data of the
// command tree), its place in the tree, the server kinds that offer it, the inputs its plate and
// tarnwick-cli take, and the function composing its body (command_body). The plates, tarnwick-cli's
// checks and its
// --help, and the command tree all come from these rows: a new command is a new row.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/analyze/address_extraction.h"
#include "core/compose/command_input.h"
#include "core/store/mailing_list.h"

namespace tarnwick {

enum CommandId : int {
  ID_NEWINTRO_PLATE = 32773,
  ID_CONFIG_PLATE = 32774,
  ID_MEMBERS_PLATE = 32775,
  ID_SUBSCRIBE_PLATE = 32780,
  ID_UNSUBSCRIBE_PLATE = 32781,
  ID_NEWPASSWORD_PLATE = 32782,
  ID_INITPASSWORD_PLATE = 32783,
  ID_HELP_PLATE = 32784,
  ID_LOG_PLATE = 32785,
  ID_ON_PLATE = 32786,
  ID_OFF_PLATE = 32787,
  ID_CHADDR_PLATE = 32788,
  ID_MATOME_PLATE = 32789,
  ID_SKIP_PLATE = 32790,
  ID_ADDADMIN_PLATE = 32791,
  ID_BYEADMIN_PLATE = 32792,
  ID_FILELIST_PLATE = 32793,
  ID_FILEGET_PLATE = 32794,
  ID_FILEPUT_PLATE = 32795,
  ID_NEWGUIDE_PLATE = 32797,
  ID_NEWINFO_PLATE = 32798,
  ID_REMOVE_PLATE = 32799,
  ID_RENAME_PLATE = 32800,
  ID_UNLINK_PLATE = 32802,
  ID_PGP_PLATE = 32803,
  ID_DEBUG_PLATE = 32804,
};

enum class FieldKind {
  Text,
  Secret,      // a new password: masked, with 表示 to show it
  File,        // a local file: 参照 picks it
  ViewedFile,  // a local file: 参照 picks it, 編集 opens it with the desktop
  ConfigFile,  // a configuration file: 参照 picks it, 編集 opens the configuration editor
  Count,       // an unsigned count with arrows (1 to 32767); goes into CommandInput::count
  Article,     // an article number with arrows (0 to 32767); any typed text goes as it is
};

// One input of a command: a field of its plate and an option of tarnwick-cli.
struct FieldRow {
  const char* label;
  const char* objectName;
  std::string CommandInput::*input = nullptr;  // where the typed text goes (not for Count)
  FieldKind kind = FieldKind::Text;
  int onlyForOption = -1;                          // enabled only while this option is chosen
  std::string MailingList::*remembered = nullptr;  // the list's last path for this field
  const char* unit = nullptr;                      // a word after the field ("行")
  std::string_view cliOption = {};                 // tarnwick-cli's --name for it
};

// At most one choice of radio buttons; on tarnwick-cli either a flag for the second option or
// --keyword with the options' texts.
struct ChoiceRow {
  const char* title = nullptr;       // the frame around the buttons; nullptr for no frame
  std::vector<const char*> options;  // button texts; the first is chosen when the plate opens
  std::string_view cliFlag = {};     // the flag that chooses the second option
  bool cliKeyword = false;           // --keyword takes one of the option texts
};

// The server kinds whose lists the command tree offers the command for.
enum class OfferedBy { Majordomo, Fml, Both };

class Composer;
struct Body;
using BodyBuilder = std::optional<Body> (*)(Composer&);

struct CommandInfo {
  CommandId id;
  std::string_view name;  // the command's name on tarnwick-cli
  const char* category;   // the command tree's group (UTF-8)
  const char* label;      // the command tree's entry (UTF-8)
  OfferedBy offeredBy;
  bool addressList = false;  // takes a list of member addresses (and dropped mail files)
  ExtractionMode extraction = ExtractionMode::Returned;  // how an address list takes a mail's
  const char* description;                               // the plate's first line (UTF-8)
  const char* note = nullptr;  // a second line, or an address list's caption
  std::vector<FieldRow> fields = {};
  ChoiceRow choice = {};
  BodyBuilder body;  // command_body: nothing when the command lacks its input
};

// In the order of the command tree.
std::span<const CommandInfo> Commands();
const CommandInfo* FindCommand(CommandId id);
const CommandInfo* FindCommand(std::string_view name);

// Whether the command tree offers the command for a list of this server kind.
bool IsOffered(const CommandInfo& command, ServerKind serverKind);

// The --names tarnwick-cli takes for the command, derived from its row.
std::vector<std::string_view> CliInputs(const CommandInfo& command);

}  // namespace tarnwick
