#include "core/results/server_reply.h"

#include <algorithm>
#include <unordered_set>

#include "core/analyze/mime_mail.h"
#include "core/analyze/recipients.h"
#include "core/compose/mail_identity.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_lines.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

constexpr std::string_view kMajordomoMarker = ">>>> ";
constexpr std::string_view kFmlMarker = ">>> ";

std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EqualsCp932IgnoreCase(text.substr(0, start.size()), start);
}

// What fml writes, in Japanese or in English, when a command was not done.
bool FmlFailureWords(std::string_view line) {
  for (std::string_view words :
       {"失敗", "間違", "できません", "ERROR", "failed", "incorrect", "denied", "not a member"}) {
    if (line.find(words) != std::string_view::npos) return true;
  }
  return false;
}

// Where a server's own text after the commands starts: Majordomo's help, its end of commands;
// fml's signature and its frame.
bool EndsTheCommands(std::string_view line) {
  return line.starts_with("**** Help for") || line == "END OF COMMANDS" ||
         (line.starts_with("--") && line.find("Be Seeing You") != std::string_view::npos) ||
         line.starts_with("********************");
}

// The sections of a reply: each echoed command line and the lines after it.
std::vector<EchoedCommand> Sections(const std::vector<std::string>& lines, std::string_view marker,
                                    bool (*failure)(std::string_view)) {
  std::vector<EchoedCommand> commands;
  for (const std::string& line : lines) {
    if (EndsTheCommands(line)) break;
    if (line.starts_with(marker)) {
      commands.push_back({line.substr(marker.size()), {}, false});
    } else if (!commands.empty() && !Trim(line).empty()) {
      commands.back().result.push_back(line);
      commands.back().failed |= failure(line);
    }
  }
  return commands;
}

// The first address of each line, once each.
std::vector<std::string> AddressesOfLines(const std::vector<std::string>& lines) {
  std::vector<std::string> roster;
  std::unordered_set<std::string> seen;
  for (const std::string& line : lines) {
    const std::vector<std::string> found = AddressesIn(line);
    if (!found.empty() && seen.insert(found.front()).second) roster.push_back(found.front());
  }
  return roster;
}

// Majordomo's who: "Members of list 'x':", the members, then "N subscribers".
std::optional<std::vector<std::string>> WhoRoster(const std::vector<EchoedCommand>& commands) {
  for (const EchoedCommand& command : commands) {
    if (command.result.empty() || !command.result.front().starts_with("Members of list ")) continue;
    std::vector<std::string> members(command.result.begin() + 1, command.result.end());
    if (!members.empty() && members.back().find("subscriber") != std::string::npos)
      members.pop_back();
    return AddressesOfLines(members);
  }
  return std::nullopt;
}

// fml's members reply: the members between the first two lines of dashes (a second block
// repeats the administrators). fml keeps a removed member's line behind "##" ("##BYE address"):
// no member.
std::vector<std::string> FmlRoster(const std::vector<std::string>& lines) {
  std::vector<std::string> block;
  int rules = 0;
  for (const std::string& line : lines) {
    if (line.starts_with("-----")) {
      if (++rules == 2) break;
      continue;
    }
    if (rules == 1 && !line.starts_with("##")) block.push_back(line);
  }
  return AddressesOfLines(block);
}

bool MajordomoFailure(std::string_view line) {
  return line.starts_with("**** ");
}

}  // namespace

std::optional<ServerReply> ReadServerReply(std::string_view text) {
  const std::optional<ReturnedMail> mail = ParseReturnedMail(text);
  if (!mail || mail->notices.empty()) return std::nullopt;
  const std::vector<std::string> lines = LinesOf(mail->notices.front());
  ServerReply reply;
  for (const std::string& header : {mail->from, mail->replyTo}) {
    if (std::string sender = AddressOfField(header); !sender.empty())
      reply.senders.push_back(std::move(sender));
  }
  if (StartsWithIgnoringCase(mail->subject, "Majordomo results")) {
    const std::optional<std::string> token = TokenInSubject(mail->subject);
    if (!token) return std::nullopt;
    reply.token = *token;
    reply.commands = Sections(lines, kMajordomoMarker, MajordomoFailure);
    reply.roster = WhoRoster(reply.commands);
    return reply;
  }
  if (mail->references.empty()) return std::nullopt;
  reply.references = mail->references;
  reply.commands = Sections(lines, kFmlMarker, FmlFailureWords);
  if (!reply.commands.empty()) {
    reply.kind = ReplyKind::FmlStatus;
    return reply;
  }
  if (StartsWithIgnoringCase(mail->subject, "members") ||
      StartsWithIgnoringCase(mail->subject, "actives")) {
    reply.kind = ReplyKind::FmlMembers;
    reply.roster = FmlRoster(lines);
    return reply;
  }
  return std::nullopt;
}

}  // namespace tarnwick
