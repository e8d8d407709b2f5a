#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/compose/queue_folder.h"
#include "support/sent_mails_fixture.h"

namespace tarnwick::cli {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Two fml lists, "dev" and "ops", each with a roster from its members reply.
class MemberCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MailingListRegister& lists = f_.lists();
    auto ops = std::make_unique<MailingList>();
    ops->Title = "ops";
    ops->Name = "ops";
    ops->Address = "ops-ctl@example.jp";
    lists.Insert(std::move(ops));
    for (std::size_t i = 0; i < lists.size(); ++i) {
      lists.at(i).Type = ServerKind::Fml;
      lists.at(i).Admin = "admin@example.jp";
      lists.at(i).Password = "pw";
    }
    ASSERT_TRUE(SaveRegister(f_.store(), lists));
    f_.Sent("RXV1.tmp", "0000000a", "members", 0,
            "admin@example.jp\ntanaka@example.co.jp\nsuzuki@example.org\n");
    f_.SentBy("ops", "ops-ctl@example.jp", "RXV2.tmp", "0000000b", "members", 1,
              "admin@example.jp\nTanaka@Example.co.jp\n");
  }

  Outcome Cli(std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(args, f_.store(), in, out, err);
    return {status, out.str(), err.str()};
  }

  std::vector<std::filesystem::path> Queued(const std::string& list) const {
    return QueuedFiles(f_.dir() / list);
  }

  testing::SentMailsFixture f_{"dev"};
};

TEST_F(MemberCommandsTest, FindNamesEveryListHoldingTheAddress) {
  const Outcome found = Cli({"find", "TANAKA@example.co.jp"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_NE(found.out.find("dev\ttanaka@example.co.jp\t"), std::string::npos) << found.out;
  EXPECT_NE(found.out.find("ops\tTanaka@Example.co.jp\t"), std::string::npos) << found.out;
  EXPECT_EQ(Cli({"find", "*@example.org"}).out.substr(0, 23), "dev\tsuzuki@example.org\t");
  EXPECT_EQ(Cli({"find", "nobody@example.jp"}).status, 1);
  EXPECT_EQ(Cli({"find"}).status, 2);
}

TEST_F(MemberCommandsTest, RemoveQueuesOneUnsubscribePerListAndKeepsTheFmlAdministrator) {
  const Outcome dry = Cli({"remove", "tanaka@example.co.jp", "admin@example.jp", "--dry-run"});
  EXPECT_EQ(dry.out, "dev\t-\ttanaka@example.co.jp\nops\t-\tTanaka@Example.co.jp\n");
  EXPECT_NE(dry.err.find("administrator's own address"), std::string::npos) << dry.err;
  EXPECT_TRUE(Queued("dev").empty() && Queued("ops").empty()) << "a dry run queues nothing";

  const Outcome removed = Cli({"remove", "tanaka@example.co.jp", "admin@example.jp"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  ASSERT_EQ(Queued("dev").size(), 1u);
  ASSERT_EQ(Queued("ops").size(), 1u);
  const std::string mail = testing::ReadFile(Queued("ops")[0]);
  EXPECT_NE(mail.find("# admin bye Tanaka@Example.co.jp\r\n"), std::string::npos) << mail;
  EXPECT_EQ(mail.find("admin@example.jp\r\n# admin"), std::string::npos);
  EXPECT_EQ(removed.out, "dev\t" + Queued("dev")[0].filename().string() +
                             "\ttanaka@example.co.jp\nops\t" +
                             Queued("ops")[0].filename().string() + "\tTanaka@Example.co.jp\n");
  EXPECT_EQ(Cli({"remove", "bad address"}).status, 2);
}

TEST_F(MemberCommandsTest, SyncMakesTheListThatOfTheFileOnlyWhenTheFileIsSound) {
  testing::WriteFile(f_.dir() / "broken.txt", "tanaka@example.co.jp\nnot an address\n");
  const Outcome broken = Cli({"sync", "dev", (f_.dir() / "broken.txt").string()});
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("2行目"), std::string::npos) << broken.err;
  testing::WriteFile(f_.dir() / "empty.txt", "# nobody\n");
  EXPECT_EQ(Cli({"sync", "dev", (f_.dir() / "empty.txt").string()}).status, 1);
  EXPECT_TRUE(Queued("dev").empty());

  testing::WriteFile(f_.dir() / "staff.csv",
                     "name,email\nTanaka,tanaka@example.co.jp\nSato,sato@example.jp\n");
  const std::string staff = (f_.dir() / "staff.csv").string();
  const Outcome dry = Cli({"sync", "dev", staff, "--dry-run"});
  EXPECT_EQ(dry.out, "+sato@example.jp\n-suzuki@example.org\n");
  EXPECT_NE(dry.err.find("1割を超える"), std::string::npos) << dry.err;
  EXPECT_EQ(Cli({"sync", "dev", staff}).status, 1) << "half the roster goes: wants a yes";
  EXPECT_TRUE(Queued("dev").empty());

  const Outcome synced = Cli({"sync", "dev", staff, "--yes"});
  ASSERT_EQ(synced.status, 0) << synced.err;
  ASSERT_EQ(Queued("dev").size(), 2u);
  EXPECT_NE(synced.out.find("\tsubscribe\t1\n"), std::string::npos) << synced.out;
  EXPECT_NE(synced.out.find("\tunsubscribe\t1\n"), std::string::npos) << synced.out;
}

}  // namespace
}  // namespace tarnwick::cli
