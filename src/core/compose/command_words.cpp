#include "core/compose/command_words.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tarnwick {
namespace {

constexpr std::string_view kBlanks = " \t";

// One command word of a server. Positions count from the command word (0), so that fml's line
// reads the same with its "#" or without it.
struct CommandWordRow {
  ServerKind server;
  bool afterAdmin = false;  // fml: the word follows "admin"
  std::string_view word;
  std::array<std::size_t, 2> passwords = {};  // 0 for none
  bool takesTheRest = false;
};

constexpr auto kMajordomo = ServerKind::Majordomo;
constexpr auto kFml = ServerKind::Fml;

constexpr std::array kRows{
    CommandWordRow{.server = kMajordomo, .word = "approve", .passwords = {1}},
    CommandWordRow{.server = kMajordomo, .word = "passwd", .passwords = {2, 3}},
    CommandWordRow{.server = kMajordomo, .word = "config", .passwords = {2}},
    CommandWordRow{
        .server = kMajordomo, .word = "newconfig", .passwords = {2}, .takesTheRest = true},
    CommandWordRow{.server = kMajordomo, .word = "writeconfig", .passwords = {2}},
    CommandWordRow{.server = kMajordomo, .word = "newinfo", .passwords = {2}, .takesTheRest = true},
    CommandWordRow{
        .server = kMajordomo, .word = "newintro", .passwords = {2}, .takesTheRest = true},
    CommandWordRow{.server = kMajordomo, .word = "mkdigest", .passwords = {2}},
    CommandWordRow{.server = kFml, .word = "approve", .passwords = {1}},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "pass", .passwords = {1}},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "password", .passwords = {1}},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "passwd", .passwords = {1}},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "initpass", .passwords = {2}},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "initpasswd", .passwords = {2}},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "put", .takesTheRest = true},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "newinfo", .takesTheRest = true},
    CommandWordRow{.server = kFml, .afterAdmin = true, .word = "newguide", .takesTheRest = true},
};

std::string_view TextOf(std::string_view line, const LineWord& word) {
  return line.substr(word.begin, word.end - word.begin);
}

struct Found {
  const CommandWordRow* row;
  std::size_t at;  // the index of the command word
};

std::optional<Found> Find(ServerKind server, std::string_view line,
                          const std::vector<LineWord>& words) {
  std::size_t at = 0;
  bool admin = false;
  if (server == kFml) {
    if (at < words.size() && TextOf(line, words[at]) == "#") ++at;
    admin = at < words.size() && TextOf(line, words[at]) == "admin";
    if (admin) ++at;
  }
  if (at >= words.size()) return std::nullopt;
  const std::string_view word = TextOf(line, words[at]);
  for (const CommandWordRow& row : kRows) {
    if (row.server == server && row.afterAdmin == admin && row.word == word) return Found{&row, at};
  }
  return std::nullopt;
}

}  // namespace

std::vector<LineWord> WordsOf(std::string_view line) {
  std::vector<LineWord> words;
  std::size_t at = line.find_first_not_of(kBlanks);
  while (at != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
    words.push_back({at, end});
    at = line.find_first_not_of(kBlanks, end);
  }
  return words;
}

std::vector<std::size_t> PasswordWords(ServerKind server, std::string_view line,
                                       const std::vector<LineWord>& words) {
  const std::optional<Found> found = Find(server, line, words);
  std::vector<std::size_t> indexes;
  if (!found) return indexes;
  for (std::size_t position : found->row->passwords) {
    if (position != 0 && found->at + position < words.size())
      indexes.push_back(found->at + position);
  }
  return indexes;
}

bool TakesTheRest(ServerKind server, std::string_view line) {
  const std::optional<Found> found = Find(server, line, WordsOf(line));
  return found && found->row->takesTheRest;
}

std::string MaskedLine(ServerKind server, std::string_view line, std::string_view mask) {
  const std::vector<LineWord> words = WordsOf(line);
  std::string masked;
  std::size_t copied = 0;
  for (std::size_t index : PasswordWords(server, line, words)) {
    masked.append(line.substr(copied, words[index].begin - copied)).append(mask);
    copied = words[index].end;
  }
  return masked.append(line.substr(copied));
}

std::vector<std::string_view> FmlPasswordCommands() {
  std::vector<std::string_view> commands;
  for (const CommandWordRow& row : kRows) {
    if (row.server == kFml && row.afterAdmin && row.passwords[0] != 0) commands.push_back(row.word);
  }
  return commands;
}

}  // namespace tarnwick
