// A post held by the real Majordomo: its notice to the moderator lands in a real IMAP mailbox
// (Dovecot), is fetched, and listed by `held` once, however often it is fetched.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "servers/server_loop.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ListServerKit;

class HeldPostsTest : public testing::ServerLoopTest {
 protected:
  void SetUp() override {
    StartServers(Smtp::None);
    if (!Started()) return;
    MailingList list = kit_->List(ServerKind::Majordomo);
    list.Title = "majordomo";
    ASSERT_FALSE(AddToRegister(store_, list).has_value());
    kit_->Reset(ServerKind::Majordomo);
    kit_->Set(ServerKind::Majordomo, "moderate", "yes");
  }

  void TearDown() override {
    if (kit_) kit_->Reset(ServerKind::Majordomo);
  }

  std::string Cli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Run(args, store_, out, err), 0) << err.str();
    return out.str();
  }
};

TEST_F(HeldPostsTest, AHeldPostIsFetchedAndListedOnce) {
  const std::vector<std::string> sent = kit_->Post(
      ServerKind::Majordomo,
      "From: Alice <a1@example.net>\nTo: testlist@localhost\nSubject: member post\n"
      "Message-Id: <held-1@example.net>\nDate: Tue, 04 Jun 2024 10:00:00 +0900\n\nHello list,\n");
  ASSERT_EQ(sent.size(), 1u) << "the moderator's notice, nothing to the members";
  ASSERT_NE(sent[0].find("Subject: BOUNCE testlist@localhost"), std::string::npos) << sent[0];
  imap_->Deliver(sent[0]);
  imap_->Deliver("From: friend@example.org\nSubject: BOUNCE testlist@localhost: x\n\nforged\n");

  EXPECT_EQ(Cli({"fetch"}), "2 read, 1 kept, 0 matched, 1 held notices\n");
  const std::string listed = Cli({"held"});
  const std::string expected = "1\tmajordomo\tpost\tAlice <a1@example.net>\tmember post\t";
  EXPECT_TRUE(listed.starts_with(expected)) << listed;
  EXPECT_TRUE(listed.ends_with("\tApproval required:\t保留中\n")) << listed;
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 1);

  // Fetched again, and read again from the start: still the one item.
  imap_->Deliver(sent[0]);
  EXPECT_EQ(Cli({"fetch"}), "1 read, 1 kept, 0 matched, 1 held notices\n");
  fs::remove(dir_ / "box" / ".replies" / ".imap-state");
  Cli({"fetch"});
  EXPECT_EQ(Cli({"held", "majordomo", "--all"}), listed);
}

}  // namespace
}  // namespace tarnwick
