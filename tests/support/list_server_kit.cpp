#include "support/list_server_kit.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarnwick::testing {
namespace {

std::string ShellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string KindName(ServerKind kind) {
  return kind == ServerKind::Fml ? "fml" : "majordomo";
}

// The kit's output, one mail per reply.
std::vector<std::string> RepliesOf(const std::string& output) {
  std::vector<std::string> replies;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("==== listserver reply ")) {
      replies.emplace_back();
    } else if (!line.starts_with("==== listserver end") && !replies.empty()) {
      replies.back() += line + "\n";
    }
  }
  return replies;
}

}  // namespace

std::optional<ListServerKit> ListServerKit::FromEnvironment(std::string_view builtCommand,
                                                            std::string_view builtDir,
                                                            std::string& reason) {
  const char* commandVariable = std::getenv("LISTSERVER");
  const char* dirVariable = std::getenv("LISTSERVER_DIR");
  const std::string command =
      commandVariable != nullptr ? commandVariable : std::string(builtCommand);
  const std::string dir = dirVariable != nullptr ? dirVariable : std::string(builtDir);
  if (!std::filesystem::exists(command) || !std::filesystem::exists(dir + "/.listserver")) {
    reason =
        "real list servers not set up: run 'listserver setup DIR', export LISTSERVER and "
        "LISTSERVER_DIR=DIR";
    return std::nullopt;
  }
  return ListServerKit(command, dir);
}

MailingList ListServerKit::List(ServerKind kind) const {
  MailingList list;
  list.Title = KindName(kind) + " test list";
  list.Type = kind;
  list.Name = State(kind, "list");
  list.Address = State(kind, "address");
  list.Admin = kind == ServerKind::Fml ? State(kind, "admin") : "admin@example.org";
  list.Password = State(kind, kind == ServerKind::Fml ? "admin_password" : "admin_passwd");
  return list;
}

void ListServerKit::Reset(ServerKind kind) const {
  Run("reset " + ShellQuoted(dir_) + " " + KindName(kind));
}

std::string ListServerKit::Feed(std::string_view verb, ServerKind kind, std::string_view mail,
                                bool raw) const {
  char name[] = "/tmp/tarnwick-kit-mail-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) return {};
  close(fd);
  std::ofstream(name, std::ios::binary) << mail;
  std::string replies = Run(std::string(verb) + " " + ShellQuoted(dir_) + " " + KindName(kind) +
                            " " + ShellQuoted(name) + (raw ? " --raw" : ""));
  std::filesystem::remove(name);
  return replies;
}

std::string ListServerKit::Deliver(ServerKind kind, std::string_view mail, bool raw) const {
  return Feed("deliver", kind, mail, raw);
}

std::vector<std::string> ListServerKit::DeliverForReplies(ServerKind kind,
                                                          std::string_view mail) const {
  return RepliesOf(Deliver(kind, mail, true));
}

std::vector<std::string> ListServerKit::Post(ServerKind kind, std::string_view mail) const {
  return RepliesOf(Feed("post", kind, mail, true));
}

void ListServerKit::Set(ServerKind kind, std::string_view key, std::string_view value) const {
  Run("set " + ShellQuoted(dir_) + " " + KindName(kind) + " " + ShellQuoted(std::string(key)) +
      " " + ShellQuoted(std::string(value)));
}

std::string ListServerKit::State(ServerKind kind, std::string_view key) const {
  std::istringstream lines(Run("state " + ShellQuoted(dir_) + " " + KindName(kind)));
  const std::string prefix = std::string(key) + "\t";
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(prefix)) return line.substr(prefix.size());
  }
  return {};
}

std::string ListServerKit::Run(std::string_view arguments) const {
  const std::string command = ShellQuoted(command_) + " " + std::string(arguments) + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string out;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
    out.append(chunk, got);
  pclose(pipe);
  return out;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tarnwick::testing
