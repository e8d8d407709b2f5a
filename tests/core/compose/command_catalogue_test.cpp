#include "core/compose/command_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "core/compose/command_body.h"

namespace tarnwick {
namespace {

using Names = std::vector<std::string_view>;

// Each row is whole: the tree, the plate, tarnwick-cli and the body all come from it.
TEST(CommandCatalogue, EveryRowCarriesWhatEveryPartNeeds) {
  std::set<std::string_view> names;
  std::set<int> ids;
  for (const CommandInfo& command : Commands()) {
    EXPECT_TRUE(names.insert(command.name).second) << command.name;
    EXPECT_TRUE(ids.insert(command.id).second) << command.name;
    EXPECT_NE(command.body, nullptr) << command.name;
    EXPECT_NE(command.category, nullptr) << command.name;
    EXPECT_NE(command.label, nullptr) << command.name;
    EXPECT_NE(command.description, nullptr) << command.name;
    EXPECT_TRUE(IsOffered(command, ServerKind::Fml) || IsOffered(command, ServerKind::Majordomo))
        << command.name;
    EXPECT_FALSE(IsOffered(command, ServerKind::None)) << command.name;
    for (const FieldRow& field : command.fields) {
      EXPECT_FALSE(field.cliOption.empty()) << command.name << " " << field.objectName;
      EXPECT_TRUE(field.input != nullptr || field.kind == FieldKind::Count) << command.name;
    }
    EXPECT_TRUE(command.choice.cliFlag.empty() || command.choice.options.size() == 2)
        << "a flag chooses the second of two options: " << command.name;
  }
  EXPECT_EQ(Commands().size(), 26u);
}

TEST(CommandCatalogue, TheCommandLineInputsComeFromTheRow) {
  EXPECT_EQ(CliInputs(*FindCommand("subscribe")), (Names{"address"}));
  EXPECT_EQ(CliInputs(*FindCommand("chaddr")), (Names{"old", "new", "keyword"}));
  EXPECT_EQ(CliInputs(*FindCommand("fileput")), (Names{"file", "local-file"}));
  EXPECT_EQ(CliInputs(*FindCommand("log")), (Names{"count", "all"}));
  EXPECT_EQ(CliInputs(*FindCommand("members")), Names{});
  EXPECT_EQ(FindCommand("nonsense"), nullptr);
  EXPECT_EQ(FindCommand(ID_CONFIG_PLATE)->name, "config");
}

// The tree shows the rows group by group: a group's rows stand together.
TEST(CommandCatalogue, GroupsAreContiguous) {
  std::set<std::string_view> closed;
  std::string_view current;
  for (const CommandInfo& command : Commands()) {
    if (command.category == current) continue;
    EXPECT_FALSE(closed.count(command.category)) << command.category << " comes back";
    if (!current.empty()) closed.insert(current);
    current = command.category;
  }
}

}  // namespace
}  // namespace tarnwick
