#include "cli/command_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace tarnwick::cli {
namespace {

using Words = std::set<std::string>;
// Each command's options ("--name"), by command.
using OptionsByCommand = std::map<std::string, Words>;

std::string ReadPackaging(const std::string& name) {
  std::ifstream file(std::string(TARNWICK_PACKAGING) + "/" + name);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

Words OptionsIn(const std::string& text) {
  static const std::regex option("--[a-z][a-z-]*");
  Words options;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
       it != std::sregex_iterator(); ++it) {
    options.insert(it->str());
  }
  return options;
}

OptionsByCommand TableOptions() {
  OptionsByCommand table;
  for (const CliCommand& command : CliCommands()) {
    Words& options = table[std::string(command.name)];
    for (const std::string_view form : command.forms)
      options.merge(OptionsIn(std::string(form)));
  }
  return table;
}

// The completion's command words, and each command's options as its `NAME) options="..."` row
// gives them.
struct Completion {
  Words commands;
  OptionsByCommand options;
};

Completion ReadCompletion(const std::string& script) {
  Completion completion;
  std::smatch match;
  if (std::regex_search(script, match, std::regex("local commands=\"([^\"]*)\""))) {
    std::istringstream words(match[1].str());
    for (std::string word; words >> word;) {
      completion.commands.insert(word);
      completion.options[word];
    }
  }
  static const std::regex row(R"re(\n\s*([a-z-]+)\) options="([^"]*)")re");
  for (auto it = std::sregex_iterator(script.begin(), script.end(), row);
       it != std::sregex_iterator(); ++it) {
    completion.options[(*it)[1].str()].merge(OptionsIn((*it)[2].str()));
  }
  return completion;
}

Words TableCommands() {
  Words commands;
  for (const CliCommand& command : CliCommands())
    commands.insert(std::string(command.name));
  return commands;
}

struct ManEntry {
  Words options;
  std::string description;  // the text lines after the entry's title, joined by blanks
};

std::string Unescaped(std::string line) {
  for (std::size_t at; (at = line.find("\\-")) != std::string::npos;)
    line.erase(at, 1);
  return line;
}

// The entries of the COMMANDS section: ".TP", then ".B command arguments", then its text.
std::map<std::string, ManEntry> ManEntries(const std::string& page) {
  std::map<std::string, ManEntry> entries;
  std::istringstream lines(page);
  ManEntry* entry = nullptr;
  bool titled = false;
  for (std::string line; std::getline(lines, line);) {
    if (line == ".TP") {
      titled = true;
    } else if (titled && line.starts_with(".B ")) {
      const std::string title = Unescaped(line.substr(3));
      entry = &entries[title.substr(0, title.find(' '))];
      entry->options = OptionsIn(title);
      titled = false;
    } else if (entry != nullptr && !line.starts_with(".")) {
      entry->description += (entry->description.empty() ? "" : " ") + Unescaped(line);
    } else {
      entry = nullptr;
      titled = false;
    }
  }
  return entries;
}

TEST(CommandTableTest, TheCompletionOffersTheCommandsAndOptionsOfTheTable) {
  const std::string script = ReadPackaging("tarnwick-cli.bash");
  ASSERT_FALSE(script.empty());
  const Completion completion = ReadCompletion(script);
  EXPECT_EQ(completion.commands, TableCommands());
  EXPECT_EQ(completion.options, TableOptions());
}

TEST(CommandTableTest, TheManPageDescribesEachCommandOfTheTableAndNoOther) {
  const std::map<std::string, ManEntry> entries = ManEntries(ReadPackaging("tarnwick-cli.1"));
  Words described;
  for (const auto& [name, entry] : entries)
    described.insert(name);
  EXPECT_EQ(described, TableCommands());
  for (const auto& [name, options] : TableOptions()) {
    const auto entry = entries.find(name);
    if (entry == entries.end()) continue;
    EXPECT_EQ(entry->second.options, options) << name;
    const std::string_view help = FindCliCommand(name)->help;
    EXPECT_TRUE(entry->second.description.starts_with(help))
        << name << ": " << entry->second.description;
  }
}

}  // namespace
}  // namespace tarnwick::cli
