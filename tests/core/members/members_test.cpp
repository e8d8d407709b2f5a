#include <gtest/gtest.h>

#include "core/members/member_mails.h"
#include "core/members/member_removal.h"
#include "core/members/member_search.h"
#include "core/members/roster_sync.h"

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

MailingList List(std::string title, ServerKind kind) {
  MailingList list;
  list.Title = std::move(title);
  list.Type = kind;
  list.Name = "staff";
  list.Address = kind == ServerKind::Fml ? "staff-ctl@example.jp" : "majordomo@example.jp";
  list.Admin = "Admin@example.jp";
  list.Password = "pw";
  return list;
}

constexpr std::time_t kNow = 1'800'000'000;

// Lists with their rosters, given one at a time as the mail box would give them.
using Rosters = std::vector<std::pair<const MailingList*, std::optional<Roster>>>;

template <class Each>
void Visit(const Rosters& rosters, Each each) {
  for (const auto& [list, roster] : rosters) {
    if (!roster) {
      each(*list, nullptr);
      continue;
    }
    const RosterView view = ViewOf(*roster);
    each(*list, &view);
  }
}

MemberSearch Find(const Rosters& rosters, std::vector<AddressPattern> patterns) {
  MemberFinder finder(std::move(patterns));
  Visit(rosters,
        [&](const MailingList& list, const RosterView* roster) { finder.Search(list, roster); });
  return std::move(finder).Take();
}

RemovalPlan PlanRemoval(const Rosters& rosters, const std::vector<std::string>& addresses,
                        bool unknownToo) {
  RemovalPlanner planner(addresses, unknownToo);
  Visit(rosters,
        [&](const MailingList& list, const RosterView* roster) { planner.Plan(list, roster); });
  return std::move(planner).Take();
}

TEST(MemberSearchTest, PatternsMatchWholeAddressesIgnoringCase) {
  const auto matches = [](const char* pattern, const char* address) {
    return AddressPattern(pattern).Matches(address);
  };
  EXPECT_TRUE(matches("Tanaka@Example.JP", "tanaka@example.jp"));
  EXPECT_FALSE(matches("tanaka@example.jp", "tanaka@example.jp.evil"));
  EXPECT_TRUE(matches("*@example.co.jp", "a@EXAMPLE.co.jp"));
  EXPECT_FALSE(matches("*@example.co.jp", "a@sub.example.co.jp.net"));
  EXPECT_TRUE(matches("tanaka*", "tanaka.taro@example.jp"));
  EXPECT_TRUE(matches("*a*a*a*", "banana@a.jp"));
  EXPECT_FALSE(matches("*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"));
  EXPECT_TRUE(matches("*", "anyone@example.jp"));
}

TEST(MemberSearchTest, HitsComeListByListAndListsWithoutRosterAreNamed) {
  const MailingList a = List("a", ServerKind::Fml);
  const MailingList b = List("b", ServerKind::Majordomo);
  const MailingList c = List("c", ServerKind::Fml);
  const Rosters rosters{
      {&a, Roster{{"x@example.jp", "y@example.org"}, 10}},
      {&b, std::nullopt},
      {&c, Roster{{"X@Example.JP"}, 20}},
  };
  const MemberSearch found = Find(rosters, {AddressPattern("x@example.jp")});
  ASSERT_EQ(found.hits.size(), 2u);
  EXPECT_EQ(found.hits[0].list, &a);
  EXPECT_EQ(found.hits[1].address, "X@Example.JP");
  EXPECT_EQ(found.hits[1].rosterDate, 20);
  EXPECT_EQ(found.withoutRoster, std::vector<const MailingList*>{&b});
}

TEST(MemberRemovalTest, EachListGetsTheAddressesItsRosterHoldsAndFmlKeepsItsAdministrator) {
  const MailingList fml = List("fml", ServerKind::Fml);
  const MailingList majordomo = List("mj", ServerKind::Majordomo);
  const MailingList unknown = List("new", ServerKind::Majordomo);
  const Rosters rosters{
      {&fml, Roster{{"admin@example.jp", "Gone@Example.jp", "stay@example.jp"}, 1}},
      {&majordomo, Roster{{"admin@example.jp", "stay@example.jp"}, 1}},
      {&unknown, std::nullopt},
  };
  const Addresses gone{"gone@example.jp", "ADMIN@example.jp"};
  const RemovalPlan plan = PlanRemoval(rosters, gone, false);
  ASSERT_EQ(plan.removals.size(), 2u);
  EXPECT_EQ(plan.removals[0].addresses, Addresses{"Gone@Example.jp"}) << "as the roster spells it";
  EXPECT_EQ(plan.removals[1].addresses, Addresses{"admin@example.jp"}) << "Majordomo takes it";
  EXPECT_EQ(plan.adminKept, std::vector<const MailingList*>{&fml});
  EXPECT_EQ(plan.withoutRoster, std::vector<const MailingList*>{&unknown});

  const RemovalPlan anyway = PlanRemoval(rosters, gone, true);
  ASSERT_EQ(anyway.removals.size(), 3u);
  EXPECT_TRUE(anyway.removals[2].withoutRoster);
  EXPECT_EQ(anyway.removals[2].addresses, gone);

  EXPECT_TRUE(PlanRemoval(rosters, {"not an address"}, false).refusal);
  EXPECT_TRUE(PlanRemoval(rosters, {"nobody@example.jp"}, false).removals.empty());
}

AddressText File(Addresses addresses) {
  AddressText text;
  text.addresses = std::move(addresses);
  return text;
}

TEST(RosterSyncTest, TheFileAgainstTheRosterGivesWhatToAddAndRemove) {
  const MailingList fml = List("fml", ServerKind::Fml);
  const Roster roster{{"admin@example.jp", "a@example.jp", "B@example.jp", "c@example.jp",
                       "d@example.jp", "e@example.jp", "f@example.jp", "g@example.jp",
                       "h@example.jp", "i@example.jp", "j@example.jp"},
                      kNow - 3600};
  const Addresses wanted{"a@example.jp", "b@example.jp",  "c@example.jp", "d@example.jp",
                         "e@example.jp", "f@example.jp",  "g@example.jp", "h@example.jp",
                         "i@example.jp", "new@example.jp"};
  const SyncPlan plan = PlanSync(fml, roster, File(wanted), kNow);
  EXPECT_FALSE(plan.refusal);
  EXPECT_EQ(plan.add, Addresses{"new@example.jp"});
  EXPECT_EQ(plan.remove, Addresses{"j@example.jp"});
  EXPECT_TRUE(plan.adminKept) << "fml takes commands from members only";
  EXPECT_TRUE(plan.cautions.empty()) << "one of eleven is no more than a tenth";
}

TEST(RosterSyncTest, WhatLooksLikeAMistakeWaitsForAYes) {
  const MailingList list = List("mj", ServerKind::Majordomo);
  const Roster fresh{{"a@example.jp", "b@example.jp", "c@example.jp"}, kNow - 60};
  const SyncPlan tooMany = PlanSync(list, fresh, File({"a@example.jp"}), kNow);
  ASSERT_EQ(tooMany.cautions.size(), 1u);
  EXPECT_NE(tooMany.cautions[0].find("1割を超える2人"), std::string::npos) << tooMany.cautions[0];

  const SyncPlan everyone = PlanSync(list, fresh, File({"z@example.jp"}), kNow);
  ASSERT_EQ(everyone.cautions.size(), 1u);
  EXPECT_NE(everyone.cautions[0].find("全員 (3人)"), std::string::npos);

  const Roster old{{"a@example.jp"}, kNow - 8 * 24 * 3600};
  const SyncPlan stale = PlanSync(list, old, File({"a@example.jp"}), kNow);
  ASSERT_EQ(stale.cautions.size(), 1u);
  EXPECT_NE(stale.cautions[0].find("7日より古く"), std::string::npos);
  EXPECT_NE(stale.cautions[0].find("compose \"mj\" members"), std::string::npos);

  const SyncPlan none = PlanSync(list, std::nullopt, File({"a@example.jp"}), kNow);
  EXPECT_EQ(none.add, Addresses{"a@example.jp"});
  EXPECT_EQ(none.cautions.size(), 1u);
}

TEST(RosterSyncTest, AFileWithABrokenLineOrNoAddressIsRefused) {
  const MailingList list = List("mj", ServerKind::Majordomo);
  const Roster roster{{"a@example.jp"}, kNow};
  AddressText broken = File({"a@example.jp"});
  broken.refused = {{7, "ｱﾄﾞﾚｽ「x y」は使えません\n空白を含んでいます"}};
  broken.refusedCount = 1;
  const SyncPlan refused = PlanSync(list, roster, broken, kNow);
  ASSERT_TRUE(refused.refusal);
  EXPECT_NE(refused.refusal->find("7行目: "), std::string::npos) << *refused.refusal;
  EXPECT_TRUE(refused.add.empty() && refused.remove.empty());
  EXPECT_TRUE(PlanSync(list, roster, File({}), kNow).refusal);
}

TEST(MemberMailsTest, ManyAddressesAreSplitWithinTheLimits) {
  const MailingList list = List("fml", ServerKind::Fml);
  Addresses many;
  for (int i = 0; i < 2500; ++i)
    many.push_back("member" + std::to_string(i) + "@example.jp");
  const auto parts = SplitMemberAddresses(list, many, {.maxCommands = 1000});
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[2].size(), 500u);
  EXPECT_EQ(parts[1].front(), "member1000@example.jp");
  const auto bySize = SplitMemberAddresses(list, many, {.maxBytes = 16 * 1024});
  for (const Addresses& part : bySize) {
    const MemberMails mails = ComposeMemberMails(list, ID_UNSUBSCRIBE_PLATE, part, {});
    ASSERT_EQ(mails.mails.size(), 1u);
    EXPECT_LE(mails.mails[0].text.size(), 16u * 1024);
  }
  EXPECT_GT(bySize.size(), 4u);
  EXPECT_TRUE(SplitMemberAddresses(list, {}, {}).empty());

  // fml counts its "# admin pass" line among the commands it runs of a mail.
  MailingList limited = list;
  limited.MaxCommands = 100;
  EXPECT_EQ(SplitMemberAddresses(limited, many, LimitsOf(limited)).front().size(), 99u);
  limited.Type = ServerKind::Majordomo;
  EXPECT_EQ(SplitMemberAddresses(limited, many, LimitsOf(limited)).size(), 1u);
}

TEST(MemberMailsTest, ARefusedAddressComposesNoPartAtAll) {
  MailingList list = List("fml", ServerKind::Fml);
  const MemberMails mails =
      ComposeMemberMails(list, ID_SUBSCRIBE_PLATE, {"a@example.jp", "b@example.jp", "bad address"},
                         {.maxCommands = 1});
  EXPECT_TRUE(mails.refusal);
  EXPECT_TRUE(mails.mails.empty());
  const MemberMails ok = ComposeMemberMails(list, ID_UNSUBSCRIBE_PLATE, {"a@example.jp"}, {});
  ASSERT_EQ(ok.mails.size(), 1u);
  EXPECT_NE(ok.mails[0].text.find("# admin bye a@example.jp\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
