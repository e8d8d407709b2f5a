#include "compose/command_catalogue.h"

#include <array>

#include "store/mailing_list.h"

namespace tarnwick {
namespace {

constexpr ExtractionMode kReturned = ExtractionMode::Returned;
constexpr ExtractionMode kSender = ExtractionMode::Sender;

constexpr std::array<CommandInfo, 26> kCommands{{
    {ID_NEWPASSWORD_PLATE, "newpassword", true, true, false, kReturned},
    {ID_INITPASSWORD_PLATE, "initpassword", true, false, false, kReturned},
    {ID_MEMBERS_PLATE, "members", true, true, false, kReturned},
    {ID_SUBSCRIBE_PLATE, "subscribe", true, true, true, kReturned},
    {ID_UNSUBSCRIBE_PLATE, "unsubscribe", true, true, true, kReturned},
    {ID_OFF_PLATE, "off", true, false, true, kReturned},
    {ID_ON_PLATE, "on", true, false, true, kReturned},
    {ID_CHADDR_PLATE, "chaddr", true, false, false, kReturned},
    {ID_MATOME_PLATE, "matome", true, false, false, kReturned},
    {ID_SKIP_PLATE, "skip", true, false, true, kReturned},
    {ID_ADDADMIN_PLATE, "addadmin", true, false, true, kSender},
    {ID_BYEADMIN_PLATE, "byeadmin", true, false, true, kSender},
    {ID_FILELIST_PLATE, "filelist", true, false, false, kReturned},
    {ID_FILEGET_PLATE, "fileget", true, false, false, kReturned},
    {ID_FILEPUT_PLATE, "fileput", true, false, false, kReturned},
    {ID_REMOVE_PLATE, "remove", true, false, false, kReturned},
    {ID_RENAME_PLATE, "rename", true, false, false, kReturned},
    {ID_NEWINFO_PLATE, "newinfo", true, true, false, kReturned},
    {ID_NEWINTRO_PLATE, "newintro", false, true, false, kReturned},
    {ID_NEWGUIDE_PLATE, "newguide", true, false, false, kReturned},
    {ID_UNLINK_PLATE, "unlink", true, false, false, kReturned},
    {ID_CONFIG_PLATE, "config", true, true, false, kReturned},
    {ID_HELP_PLATE, "help", true, false, false, kReturned},
    {ID_LOG_PLATE, "log", true, false, false, kReturned},
    {ID_PGP_PLATE, "pgp", true, false, false, kReturned},
    {ID_DEBUG_PLATE, "debug", true, false, false, kReturned},
}};

}  // namespace

std::span<const CommandInfo> Commands() {
  return kCommands;
}

const CommandInfo* FindCommand(CommandId id) {
  for (const CommandInfo& command : kCommands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

const CommandInfo* FindCommand(std::string_view name) {
  for (const CommandInfo& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool IsOffered(const CommandInfo& command, std::int32_t serverKind) {
  return (serverKind == kFml && command.fml) || (serverKind == kMajordomo && command.majordomo);
}

}  // namespace tarnwick
