// The real Majordomo and fml servers of the list-server kit, driven from a test: the folder the
// kit was set up in comes from LISTSERVER_DIR, the kit's command from LISTSERVER; the build's
// own set-up is used when they are not set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/mailing_list.h"

namespace tarnwick::testing {

class ListServerKit {
 public:
  // The kit, or nothing (and why, in `reason`) when it has not been set up.
  static std::optional<ListServerKit> FromEnvironment(std::string_view builtCommand,
                                                      std::string_view builtDir,
                                                      std::string& reason);

  // The registered list that drives the kit's list of that kind, with its real password.
  MailingList List(ServerKind kind) const;

  // Puts the list back as set up, with an empty outbox.
  void Reset(ServerKind kind) const;
  // Delivers the mail as a mail server would and returns every reply the server sent, each
  // decoded to UTF-8 as the kit shows it, or (raw) as the server sent it.
  std::string Deliver(ServerKind kind, std::string_view mail, bool raw = false) const;
  // The same, raw, as one mail per reply (the kit's envelope lines lead each one's header).
  std::vector<std::string> DeliverForReplies(ServerKind kind, std::string_view mail) const;
  // Posts the mail to the list's posting address; what the server sent, raw, one mail each.
  std::vector<std::string> Post(ServerKind kind, std::string_view mail) const;
  // Changes one setting of the list until the next reset.
  void Set(ServerKind kind, std::string_view key, std::string_view value) const;
  // A fact or a file path of the list ("members", "config", "info", ...).
  std::string State(ServerKind kind, std::string_view key) const;

 private:
  ListServerKit(std::string command, std::string dir)
      : command_(std::move(command)), dir_(std::move(dir)) {}
  std::string Run(std::string_view arguments) const;
  // The mail given to the kit's verb ("deliver", "post") as a file.
  std::string Feed(std::string_view verb, ServerKind kind, std::string_view mail, bool raw) const;

  std::string command_;
  std::string dir_;
};

// The whole text of a file, or the empty text when there is none.
std::string FileText(const std::string& path);

}  // namespace tarnwick::testing
