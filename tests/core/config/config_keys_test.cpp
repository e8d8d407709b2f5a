#include "core/config/config_keys.h"

#include <gtest/gtest.h>

#include "core/config/config_rules.h"
#include "core/config/majordomo_config.h"

namespace tarnwick {
namespace {

Refusal CheckText(std::size_t key, std::string text) {
  ConfigValue value;
  value.present = true;
  value.text = std::move(text);
  return CheckConfigValue(key, value);
}

TEST(ConfigKeysTest, ThereAreFortyFiveKeysInOrder) {
  EXPECT_EQ(kConfigKeys.size(), 45u);
  for (std::size_t i = 1; i < kConfigKeys.size(); ++i) {
    EXPECT_LT(kConfigKeys[i - 1].name, kConfigKeys[i].name);
  }
  for (std::size_t i = 0; i < kConfigKeys.size(); ++i) {
    EXPECT_EQ(FindConfigKey(kConfigKeys[i].name), i) << kConfigKeys[i].name;
  }
  EXPECT_EQ(*FindConfigKey("who_access"), 44u);
  EXPECT_FALSE(FindConfigKey("Moderate").has_value()) << "names are matched exactly";
}

TEST(ConfigKeysTest, PagesFollowTheKeysAndNoneIsEmpty) {
  int page = 0;
  for (const ConfigKey& key : kConfigKeys) {
    EXPECT_TRUE(key.page == page || key.page == page + 1) << key.name;
    page = key.page;
  }
  EXPECT_EQ(page, kSheetPages - 1);
}

TEST(ConfigKeysTest, ChoicesAreWhatTheRulesAccept) {
  int choiceKeys = 0;
  for (std::size_t i = 0; i < kConfigKeys.size(); ++i) {
    const ConfigKey& key = kConfigKeys[i];
    if (key.choices.empty()) continue;
    ++choiceKeys;
    EXPECT_EQ(key.kind, ConfigKind::Text) << key.name;
    EXPECT_EQ(SheetControl(key), RowControl::Choice) << key.name;
    for (const char* choice : key.choices)
      EXPECT_FALSE(CheckText(i, choice)) << key.name;
    EXPECT_TRUE(CheckText(i, "OPEN")) << key.name << ": letter case counts";
    EXPECT_TRUE(CheckText(i, "nobody")) << key.name;
  }
  EXPECT_EQ(choiceKeys, 8);
  EXPECT_FALSE(CheckText(*FindConfigKey("description"), "nobody")) << "a free value";
}

// A block is read either as regular expressions or as strings with "-" escapes; nothing else
// has a block rule, and one-word values are texts.
TEST(ConfigKeysTest, BlockRulesAgreeWithKinds) {
  for (std::size_t i = 0; i < kConfigKeys.size(); ++i) {
    const ConfigKey& key = kConfigKeys[i];
    const bool blockRule = key.rule == ValueRule::Patterns || key.rule == ValueRule::DashEscaped;
    EXPECT_EQ(key.kind == ConfigKind::Block, blockRule) << key.name;
    if (key.rule == ValueRule::OneWord) {
      EXPECT_EQ(key.kind, ConfigKind::Text) << key.name;
    }
    if (key.kind != ConfigKind::Block) continue;
    ConfigValue value;
    value.present = true;
    value.text = "plain words\r\n";
    EXPECT_EQ(CheckConfigValue(i, value).has_value(), key.rule == ValueRule::Patterns) << key.name;
    value.text = "/example\\.jp$/\r\n";
    EXPECT_FALSE(CheckConfigValue(i, value)) << key.name;
  }
}

TEST(ConfigKeysTest, OneWordKeysRefuseSpaces) {
  EXPECT_TRUE(CheckText(*FindConfigKey("sender"), "a b"));
  EXPECT_FALSE(CheckText(*FindConfigKey("description"), "a b"));
}

}  // namespace
}  // namespace tarnwick
