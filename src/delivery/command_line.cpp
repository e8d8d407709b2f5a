#include "delivery/command_line.h"

namespace tarnwick {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The program name: up to the next blank, with double quotes only grouping (no escapes).
std::string ProgramToken(std::string_view line, std::size_t& i) {
  std::string token;
  bool quoted = false;
  for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else {
      token += line[i];
    }
  }
  return token;
}

// An argument: 2n backslashes before a quote give n backslashes and the quote groups; 2n+1
// give n backslashes and a literal quote; "" inside quotes is a literal quote; other
// backslashes are literal.
std::string ArgumentToken(std::string_view line, std::size_t& i) {
  std::string token;
  bool quoted = false;
  while (i < line.size() && (quoted || !IsBlank(line[i]))) {
    std::size_t backslashes = 0;
    while (i < line.size() && line[i] == '\\') {
      ++backslashes;
      ++i;
    }
    if (i < line.size() && line[i] == '"') {
      token.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        token += '"';
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        token += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
    } else {
      token.append(backslashes, '\\');
      if (i < line.size() && (quoted || !IsBlank(line[i]))) token += line[i++];
    }
  }
  return token;
}

void SkipBlanks(std::string_view line, std::size_t& i) {
  while (i < line.size() && IsBlank(line[i]))
    ++i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  SkipBlanks(line, i);
  if (i >= line.size()) return tokens;
  tokens.push_back(ProgramToken(line, i));
  while (true) {
    SkipBlanks(line, i);
    if (i >= line.size()) return tokens;
    tokens.push_back(ArgumentToken(line, i));
  }
}

}  // namespace tarnwick
