#include "core/store/mailing_list.h"

namespace tarnwick {

std::string_view ServerKindName(ServerKind type) {
  if (type == ServerKind::Majordomo) return "Majordomo";
  if (type == ServerKind::Fml) return "FML";
  return {};
}

void CopyDetails(const MailingList& from, MailingList& to) {
  to.Title = from.Title;
  to.Type = from.Type;
  to.Address = from.Address;
  to.Name = from.Name;
  to.Admin = from.Admin;
  to.Password = from.Password;
  to.MaxCommands = from.MaxCommands;
}

}  // namespace tarnwick
