// Held posts answered through the real servers: the approval tarnwick-cli queues goes to the
// kit's Majordomo or fml, and the article they distribute is the held post; a wrong password
// comes back as the server's refusal and ends the item as failed.
#include <gtest/gtest.h>

#include "core/moderation/raw_mail.h"
#include "servers/held_loop.h"

namespace tarnwick {
namespace {

constexpr char kPost[] =
    "From: Alice <a1@example.net>\nTo: testlist@localhost\nSubject: member post\n"
    "Message-Id: <held-answer-1@example.net>\nDate: Tue, 04 Jun 2024 10:00:00 +0900\n"
    "MIME-Version: 1.0\nContent-Type: text/plain; charset=ISO-2022-JP\n\n"
    "Hello list,\n\x1b$B$3$s$K$A$O\x1b(B\n";

class HeldAnswerServersTest : public testing::HeldLoopTest {
 protected:
  void SetUp() override { StartServers(Smtp::None); }

  // The distributed article among what a server sent: the mail with the held post's Message-Id.
  static std::optional<std::string> Article(const std::vector<std::string>& sent) {
    return WithField(sent, "Message-Id", "<held-answer-1@example.net>");
  }

  static void ExpectTheHeldPost(const std::string& article) {
    const std::string lf = WithLfEnds(article);
    const RawMail raw = SplitMail(lf);
    EXPECT_EQ(FieldValue(raw.header, "From"), "Alice <a1@example.net>");
    EXPECT_EQ(
        FieldValue(raw.header, "Subject").value_or("").find("member post") != std::string::npos,
        true)
        << lf;
    EXPECT_NE(std::string(raw.body).find("Hello list,\n\x1b$B$3$s$K$A$O\x1b(B\n"),
              std::string::npos)
        << lf;
  }
};

TEST_F(HeldAnswerServersTest, MajordomoDistributesTheApprovedPostAsItWasHeld) {
  Register(ServerKind::Majordomo);
  kit_->Set(ServerKind::Majordomo, "moderate", "yes");
  const std::string approval = FetchAndApprove(kit_->Post(ServerKind::Majordomo, kPost));
  const std::vector<std::string> sent = kit_->Post(ServerKind::Majordomo, approval);
  const std::optional<std::string> article = Article(sent);
  ASSERT_TRUE(article) << (sent.empty() ? "nothing sent" : sent[0]);
  ExpectTheHeldPost(*article);
  EXPECT_NE(Cli({"held", "--all"}).find("\t承認待ち\n"), std::string::npos);
}

TEST_F(HeldAnswerServersTest, AWrongPasswordEndsTheItemFailedWithNoNewItem) {
  Register(ServerKind::Majordomo, "wrongpass");
  kit_->Set(ServerKind::Majordomo, "moderate", "yes");
  const std::string approval = FetchAndApprove(kit_->Post(ServerKind::Majordomo, kPost));
  const std::vector<std::string> bounced = kit_->Post(ServerKind::Majordomo, approval);
  ASSERT_EQ(bounced.size(), 1u);
  ASSERT_NE(bounced[0].find("Invalid 'Approved:'"), std::string::npos) << bounced[0];
  imap_->Deliver(bounced[0]);
  Cli({"fetch"});
  const std::string listed = Cli({"held", "--all"});
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 1) << listed;
  EXPECT_NE(listed.find("\t失敗\n"), std::string::npos) << listed;
  EXPECT_EQ(listed.find("wrongpass"), std::string::npos) << listed;
}

TEST_F(HeldAnswerServersTest, FmlDistributesTheCertifiedPost) {
  Register(ServerKind::Fml);
  kit_->Set(ServerKind::Fml, "MODERATOR_FORWARD_TYPE", "2");
  kit_->Set(ServerKind::Fml, "PERMIT_POST_FROM", "moderator");
  const std::string approval = FetchAndApprove(kit_->Post(ServerKind::Fml, kPost));
  EXPECT_NE(approval.find("\r\n\r\nmoderator certified "), std::string::npos) << approval;
  const std::vector<std::string> sent = kit_->DeliverForReplies(ServerKind::Fml, approval);
  const std::optional<std::string> article = Article(sent);
  ASSERT_TRUE(article) << sent.size();
  ExpectTheHeldPost(*article);
}

}  // namespace
}  // namespace tarnwick
