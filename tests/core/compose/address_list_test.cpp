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

}  // namespace
}  // namespace tarnwick
