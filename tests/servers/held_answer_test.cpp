// Held posts answered through the real servers: the approval tarnwick-cli queues goes to the
// kit's Majordomo or fml, and the article they distribute is the held post; a wrong password
// comes back as the server's refusal and ends the item as failed.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/moderation/raw_mail.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "servers/server_loop.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ListServerKit;

constexpr char kPost[] =
    "From: Alice <a1@example.net>\nTo: testlist@localhost\nSubject: member post\n"
    "Message-Id: <held-answer-1@example.net>\nDate: Tue, 04 Jun 2024 10:00:00 +0900\n"
    "MIME-Version: 1.0\nContent-Type: text/plain; charset=ISO-2022-JP\n\n"
    "Hello list,\n\x1b$B$3$s$K$A$O\x1b(B\n";

class HeldAnswerServersTest : public testing::ServerLoopTest {
 protected:
  void SetUp() override { StartServers(Smtp::None); }

  void TearDown() override {
    if (kit_) {
      kit_->Reset(ServerKind::Majordomo);
      kit_->Reset(ServerKind::Fml);
    }
  }

  void Register(ServerKind kind, const std::string& password = {}) {
    MailingList list = kit_->List(kind);
    list.Title = kind == ServerKind::Fml ? "fml" : "majordomo";
    if (!password.empty()) list.Password = password;
    ASSERT_FALSE(AddToRegister(store_, list).has_value());
    kit_->Reset(kind);
  }

  std::string Cli(const std::vector<std::string>& args, int status = 0) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Run(args, store_, out, err), status) << err.str();
    return out.str();
  }

  // The server's notices fetched, and the one item they brought approved: the queued mail.
  std::string FetchAndApprove(const std::vector<std::string>& notices) {
    for (const std::string& notice : notices)
      imap_->Deliver(notice);
    Cli({"fetch"});
    EXPECT_EQ(Cli({"held"}).substr(0, 2), "1\t");
    const std::string queued = Cli({"approve", "1"});
    EXPECT_EQ(queued.substr(0, 2), "1\t") << queued;
    return testing::FileText(queued.substr(2, queued.find('\n') - 2));
  }

  // The distributed article among what a server sent: the mail with the held post's Message-Id.
  static std::optional<std::string> Article(const std::vector<std::string>& sent) {
    for (const std::string& mail : sent) {
      const std::string lf = WithLfEnds(mail);  // the split points into it
      const RawMail raw = SplitMail(lf);
      if (FieldValue(raw.header, "Message-Id") == "<held-answer-1@example.net>") return mail;
    }
    return std::nullopt;
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
