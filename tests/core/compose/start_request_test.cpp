#include "core/compose/start_request.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(StartRequest, TheWordCountsByItsStartInAnyCase) {
  const std::optional<StartRequest> unsubscribe = ParseStartRequest({"UnSubscribe", "ML"});
  ASSERT_TRUE(unsubscribe);
  EXPECT_EQ(unsubscribe->title, "ML");
  EXPECT_EQ(unsubscribe->command, ID_UNSUBSCRIBE_PLATE);
  EXPECT_TRUE(unsubscribe->file.empty());
  EXPECT_EQ(ParseStartRequest({"SUBS", "ML"})->command, ID_SUBSCRIBE_PLATE);
  EXPECT_EQ(ParseStartRequest({"unsub", "ML"})->command, ID_UNSUBSCRIBE_PLATE);
}

TEST(StartRequest, AnotherWordSelectsTheListWithoutAPlate) {
  for (const char* word : {"members", "sub", "uns", ""}) {
    const std::optional<StartRequest> request = ParseStartRequest({word, "ML"});
    ASSERT_TRUE(request) << word;
    EXPECT_FALSE(request->command) << word;
  }
}

TEST(StartRequest, NeedsAWordAndATitleAndTakesAFile) {
  EXPECT_FALSE(ParseStartRequest({}));
  EXPECT_FALSE(ParseStartRequest({"subscribe"}));
  EXPECT_EQ(ParseStartRequest({"subscribe", "ML", "mail.eml"})->file, "mail.eml");
}

}  // namespace
}  // namespace tarnwick
