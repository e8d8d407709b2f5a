#include "core/compose/address_list.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(AddressList, SortsIgnoringCaseAndKeepsDuplicatesAndEmptyEntries) {
  AddressList list;
  for (const char* address : {"c@x", "a@x", "B@x", "a@x", ""})
    list.Add(address);
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"", "a@x", "a@x", "B@x", "c@x"}));
  list.Remove(1);
  list.Remove(42);
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"", "a@x", "B@x", "c@x"}));
}

// A paste or a file adds only what the list lacks, whatever the letter case, and says how many
// it held; Clear empties the list.
TEST(AddressList, AddNewSkipsWhatTheListHoldsIgnoringCase) {
  AddressList list;
  for (const char* address : {"b@x", "D@x"})
    list.Add(address);
  EXPECT_TRUE(list.Holds("B@X"));
  EXPECT_TRUE(list.Holds("d@x"));
  EXPECT_FALSE(list.Holds("c@x"));
  EXPECT_FALSE(list.Holds("b@x2"));
  EXPECT_EQ(list.AddNew({"d@X", "a@x", "B@x", "e@x", "A@X"}), 3u);
  EXPECT_EQ(list.entries(), (std::vector<std::string>{"a@x", "b@x", "D@x", "e@x"}));
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(list.Holds("a@x"));
}

}  // namespace
}  // namespace tarnwick
