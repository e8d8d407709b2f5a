#include "core/compose/command_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "core/compose/command_body.h"
#include "core/compose/command_names.h"

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

// Whatever a command writes as its "X-Command:" value, whichever server and option, is shown by
// a Japanese name; a value no command writes shows as it is.
TEST(CommandCatalogue, EveryTitleAMailCarriesHasAJapaneseName) {
  std::set<std::string_view> names;
  for (const CommandInfo& command : Commands()) {
    for (ServerKind kind : {ServerKind::Fml, ServerKind::Majordomo}) {
      if (!IsOffered(command, kind)) continue;
      for (int choice = 0; choice < 3; ++choice) {
        MailingList list;
        list.Type = kind;
        list.Title = list.Name = "dev";
        list.Address = "ml@ex.jp";
        list.Admin = "admin@ex.jp";
        list.Password = "pw";
        CommandInput input;
        input.addresses = {"a@ex.jp"};
        input.address = "a@ex.jp";
        input.oldValue = input.newValue = "b@ex.jp";
        input.choice = choice;
        input.mode = input.newPassword = input.file = input.option = input.article = "1";
        Composer composer(list, input);
        const std::optional<Body> body = command.body(composer);
        ASSERT_TRUE(body.has_value()) << command.name;
        const std::optional<std::string_view> name = JapaneseCommandName(body->title);
        ASSERT_TRUE(name.has_value()) << body->title;
        names.insert(*name);
      }
    }
  }
  EXPECT_EQ(names.size(), 27u) << "two commands shown by one name";
  EXPECT_EQ(CommandTitleText("Get Config"), "Configﾌｧｲﾙ取り寄せ");
  EXPECT_EQ(CommandTitleText("\x8e\xe8 made by hand"), "手 made by hand");
}

}  // namespace
}  // namespace tarnwick
