#include "core/results/bounce_review.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

AddressTally Tally(const char* address, bool proposed) {
  AddressTally tally;
  tally.address = address;
  tally.proposed = proposed;
  return tally;
}

Roster RosterOf(std::vector<std::string> members) {
  Roster roster;
  roster.members = std::move(members);
  return roster;
}

TEST(ReviewTicks, AtFirstTheProposedThatMayStillBeMembers) {
  const MemberCheck members(RosterOf({"a@x.jp"}));
  const ReviewTicks ticks(&members);
  EXPECT_TRUE(ticks.TickedAtFirst(Tally("a@x.jp", true)));
  EXPECT_FALSE(ticks.TickedAtFirst(Tally("a@x.jp", false)));
  EXPECT_FALSE(ticks.TickedAtFirst(Tally("gone@x.jp", true)));  // left the list already
  const MemberCheck noRoster(std::nullopt);
  EXPECT_TRUE(ReviewTicks(&noRoster).TickedAtFirst(Tally("gone@x.jp", true)));
  EXPECT_TRUE(ReviewTicks(nullptr).TickedAtFirst(Tally("gone@x.jp", true)));
  EXPECT_EQ(ReviewTicks(nullptr).Of(Tally("a@x.jp", true)), Membership::Unknown);
}

TEST(ReviewTicks, TicksSetAgainstTheProposalStayWhileTheRowsChange) {
  const ReviewTicks ticks(nullptr);
  const std::vector<AddressTally> shown = {Tally("a@x.jp", true), Tally("b@x.jp", false),
                                           Tally("c@x.jp", true)};
  // a unticked by hand, b ticked by hand, c left as proposed; the screen's order is its own.
  const std::vector<ReviewTicks::Row> onScreen = {
      {"c@x.jp", true}, {"B@X.JP", true}, {"a@x.jp", false}};
  // Another number of days: c is no longer proposed, d is new, and a comes in another case.
  const std::vector<AddressTally> next = {Tally("A@x.jp", true), Tally("b@x.jp", false),
                                          Tally("c@x.jp", false), Tally("d@x.jp", true)};
  EXPECT_EQ(ticks.Carry(shown, onScreen, next), (std::vector<bool>{false, true, false, true}));
}

TEST(ReviewTicks, TheFirstFillTicksByTheProposal) {
  const ReviewTicks ticks(nullptr);
  EXPECT_EQ(ticks.Carry({}, {}, {Tally("a@x.jp", true), Tally("b@x.jp", false)}),
            (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tarnwick
