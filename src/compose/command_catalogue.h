// Every administrative command the program can send: its id (the data of the command tree), the
// server kinds that offer it, and what its plate takes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "analyze/address_extraction.h"

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

struct CommandInfo {
  CommandId id;
  std::string_view name;  // the command's name on tarnwick-cli
  bool fml;
  bool majordomo;
  bool addressList;           // takes a list of member addresses (and dropped mail files)
  ExtractionMode extraction;  // for address lists: how addresses are taken from a mail
};

std::span<const CommandInfo> Commands();
const CommandInfo* FindCommand(CommandId id);
const CommandInfo* FindCommand(std::string_view name);

// Whether the command tree offers the command for a list of this server kind.
bool IsOffered(const CommandInfo& command, std::int32_t serverKind);

}  // namespace tarnwick
