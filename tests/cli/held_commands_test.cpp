#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/compose/queue_folder.h"
#include "core/moderation/held_store.h"
#include "support/sent_mails_fixture.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// A Majordomo list "testlist" with three held items: two posts and a subscription request.
class HeldCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MailingList& list = f_.lists().at(0);
    list.Type = ServerKind::Majordomo;
    list.Name = "testlist";
    list.Address = "majordomo@localhost";
    list.Admin = "admin@example.org";
    list.Password = "testpass123";
    ASSERT_TRUE(SaveRegister(f_.store(), f_.lists()));
    std::string failure;
    std::optional<HeldStore> store = HeldStore::Open(f_.dir().string(), failure);
    ASSERT_TRUE(store) << failure;
    const fs::path samples = fs::path(TARNWICK_TEST_DATA) / "moderation" / "majordomo";
    for (const char* sample : {"01-mod-member-post.sent1.eml", "12-restrict-nonmember.sent1.eml",
                               "16-closed-subscribe.sent2.eml"}) {
      int error = 0;
      store->Take(ReadHeldNotice(testing::ReadFile(samples / sample)).value(), 1'800'000'000,
                  error);
      ASSERT_EQ(error, 0);
    }
  }

  Outcome Cli(std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(args, f_.store(), in, out, err);
    return {status, out.str(), err.str()};
  }

  std::size_t Queued() const { return QueuedFiles(f_.dir() / "testlist").size(); }

  testing::SentMailsFixture f_{"test"};
};

TEST_F(HeldCommandsTest, EveryIdIsCheckedBeforeAnythingIsQueued) {
  Outcome unknown = Cli({"approve", "1", "99"});
  EXPECT_NE(unknown.status, 0);
  EXPECT_NE(unknown.err.find("#99"), std::string::npos) << unknown.err;
  EXPECT_EQ(Queued(), 0u);
  EXPECT_NE(Cli({"approve", "x"}).status, 0);
  EXPECT_NE(Cli({"approve"}).status, 0);
  EXPECT_NE(Cli({"discard", "1", "--reason", "r"}).status, 0) << "only reject takes a reason";

  const Outcome approved = Cli({"approve", "1", "3"});
  EXPECT_EQ(approved.status, 0) << approved.err;
  EXPECT_EQ(Queued(), 2u);
  EXPECT_EQ(approved.out.substr(0, 2), "1\t") << approved.out;
  const std::string file = approved.out.substr(2, approved.out.find('\n') - 2);
  EXPECT_TRUE(fs::exists(file)) << file;
  EXPECT_NE(testing::ReadFile(file).find("\r\nApproved: testpass123\r\n"), std::string::npos);

  const Outcome again = Cli({"reject", "2", "1"});
  EXPECT_NE(again.status, 0);
  EXPECT_NE(again.err.find("承認待ち"), std::string::npos) << again.err;
  EXPECT_EQ(Queued(), 2u) << "item 2 waits too, but nothing goes when one id is answered";
  EXPECT_EQ(again.err.find("testpass123"), std::string::npos);
}

TEST_F(HeldCommandsTest, ARejectionQueuesItsNoticeADiscardNothing) {
  const Outcome rejected = Cli({"reject", "2", "--reason", "話題が違います"});
  EXPECT_EQ(rejected.status, 0) << rejected.err;
  EXPECT_EQ(Queued(), 1u);
  const Outcome discarded = Cli({"discard", "1"});
  EXPECT_EQ(discarded.status, 0) << discarded.err;
  EXPECT_EQ(discarded.out, "1\n");
  EXPECT_EQ(Queued(), 1u);
  const std::string held = Cli({"held", "--all"}).out;
  EXPECT_NE(held.find("\t却下\n"), std::string::npos) << held;
  EXPECT_NE(held.find("\t破棄\n"), std::string::npos) << held;
  EXPECT_EQ(Cli({"held"}).out.substr(0, 2), "3\t") << "only the request waits";
}

}  // namespace
}  // namespace tarnwick::cli
