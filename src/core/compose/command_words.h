// What the servers read in the words of a command line: where each command carries a password,
// and which commands take the rest of the mail as their data. The preview, the refusals, the
// results and fml's line check all mask and stop by these same words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/mailing_list.h"

namespace tarnwick {

// A word of a line: its bytes [begin, end), words being split at blanks and tabs.
struct LineWord {
  std::size_t begin;
  std::size_t end;
};
std::vector<LineWord> WordsOf(std::string_view line);

// The indexes in `words` of the passwords a command line of this server kind carries. fml's
// lines are read with or without their leading "#", Majordomo's from their first word.
std::vector<std::size_t> PasswordWords(ServerKind server, std::string_view line,
                                       const std::vector<LineWord>& words);

// Whether everything after this command line is the command's data, not commands: Majordomo's
// newconfig, newinfo and newintro, fml's put, newinfo and newguide.
bool TakesTheRest(ServerKind server, std::string_view line);

// The line with each of its passwords replaced by `mask`; blanks and other words stay.
std::string MaskedLine(ServerKind server, std::string_view line, std::string_view mask);

// The words after fml's "admin" that carry the administrator's password, as fml knows them.
std::vector<std::string_view> FmlPasswordCommands();

}  // namespace tarnwick
