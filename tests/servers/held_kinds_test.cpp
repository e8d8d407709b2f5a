// Each way the real servers hold something for the moderator: Majordomo's non-member and
// too-long posts and its closed subscription, fml's manual registration. Each notice becomes one
// item, and its approval does on the server what a moderator wanted: the post distributed, the
// member added to the list's members file.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "servers/held_loop.h"

namespace tarnwick {
namespace {

using Addresses = std::set<std::string>;

class HeldKindsTest : public testing::HeldLoopTest {
 protected:
  void SetUp() override { StartServers(Smtp::None); }

  Addresses MembersFile(ServerKind kind) const {
    Addresses members;
    std::istringstream lines(testing::FileText(kit_->State(kind, "members")));
    // fml writes options after an address.
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line[0] != '#') members.insert(line.substr(0, line.find(' ')));
    }
    return members;
  }

  // A post Majordomo holds under that setting: one item of the reason, and its approval posted
  // to the list goes out as the article.
  void HeldForAndDistributed(std::string_view key, std::string_view value, const std::string& post,
                             const std::string& reason) {
    Register(ServerKind::Majordomo);
    kit_->Set(ServerKind::Majordomo, key, value);
    const std::vector<std::string> notices = kit_->Post(ServerKind::Majordomo, post);
    ASSERT_EQ(notices.size(), 1u) << "the moderator's notice only";
    const std::string approval = FetchAndApprove(notices);
    const std::string listed = Cli({"held", "--all"});
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 1) << listed;
    EXPECT_NE(listed.find("\t" + reason + "\t承認待ち\n"), std::string::npos) << listed;
    const std::vector<std::string> sent = kit_->Post(ServerKind::Majordomo, approval);
    const auto article = WithField(sent, "Message-Id", "<held-kind@example.net>");
    ASSERT_TRUE(article) << (sent.empty() ? "nothing sent" : sent[0]);
    EXPECT_NE(article->find("testlist-list"), std::string::npos) << "to the members";
  }
};

constexpr std::string_view kHeader =
    "To: testlist@localhost\nSubject: held post\nMessage-Id: <held-kind@example.net>\n"
    "Date: Tue, 04 Jun 2024 10:00:00 +0900\n\n";

TEST_F(HeldKindsTest, MajordomoHoldsANonMembersPostOfARestrictedList) {
  HeldForAndDistributed("restrict_post", "testlist",
                        "From: x2@example.com\n" + std::string(kHeader) + "Hello list,\n",
                        "Non-member submission from [x2@example.com]");
}

TEST_F(HeldKindsTest, MajordomoHoldsAPostLongerThanTheListTakes) {
  std::string body;
  for (int line = 1; line <= 8; ++line)
    body += "line " + std::to_string(line) + " of a post longer than three hundred characters\n";
  HeldForAndDistributed("maxlength", "300", "From: a1@example.net\n" + std::string(kHeader) + body,
                        "Message too long (>300 chars)");
}

TEST_F(HeldKindsTest, ApprovingAClosedListsSubscriptionAddsTheMember) {
  Register(ServerKind::Majordomo);
  kit_->Set(ServerKind::Majordomo, "subscribe_policy", "closed");
  const std::vector<std::string> replies = kit_->DeliverForReplies(
      ServerKind::Majordomo,
      "From: u1@example.com\nTo: majordomo@localhost\nSubject: join\n\nsubscribe testlist\nend\n");
  const auto request = WithField(replies, "Subject", "APPROVE testlist");
  ASSERT_TRUE(request) << replies.size() << " replies";
  Fetch({*request});
  EXPECT_TRUE(Cli({"held"}).starts_with("1\tmajordomo\tsubscribe\tu1@example.com\t"))
      << Cli({"held"});
  EXPECT_FALSE(MembersFile(ServerKind::Majordomo).contains("u1@example.com"));

  const std::string approval = Answer({"approve", "1"});
  const std::string result = kit_->Deliver(ServerKind::Majordomo, approval);
  EXPECT_EQ(MembersFile(ServerKind::Majordomo), Addresses{"u1@example.com"}) << result;
}

TEST_F(HeldKindsTest, FmlsConfirmedSubscriptionIsAddedByTheAdministrator) {
  Register(ServerKind::Fml);
  const std::string asked =
      kit_->Deliver(ServerKind::Fml,
                    "From: new@example.com\nTo: testlist-ctl@localhost\nSubject: subscribe\n\n"
                    "subscribe New User\n",
                    true);
  std::smatch confirm;
  ASSERT_TRUE(std::regex_search(asked, confirm, std::regex("\nconfirm [0-9]+ New User\n")))
      << asked;
  const std::vector<std::string> confirmed = kit_->DeliverForReplies(
      ServerKind::Fml, "From: new@example.com\nTo: testlist-ctl@localhost\nSubject: confirm\n\n" +
                           confirm.str().substr(1));
  const auto notice = WithField(confirmed, "To", "testlist-admin@localhost");
  ASSERT_TRUE(notice) << confirmed.size() << " replies";
  Fetch({*notice});
  EXPECT_TRUE(Cli({"held"}).starts_with("1\tfml\tsubscribe\tnew@example.com\t")) << Cli({"held"});
  EXPECT_FALSE(MembersFile(ServerKind::Fml).contains("new@example.com"));

  const std::string approval = Answer({"approve", "1"});
  const std::string result = kit_->Deliver(ServerKind::Fml, approval);
  EXPECT_TRUE(MembersFile(ServerKind::Fml).contains("new@example.com")) << result;
}

}  // namespace
}  // namespace tarnwick
