// Members across lists against the real servers: a Majordomo and an fml list both named
// "testlist", their rosters from real who/members replies fetched from Dovecot, and find, remove
// and sync of tarnwick-cli doing what the servers' members files then show.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "core/compose/queue_folder.h"
#include "core/platform/text_codec.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "servers/server_loop.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ListServerKit;
using Addresses = std::set<std::string>;

class MembersAcrossLists : public testing::ServerLoopTest {
 protected:
  void SetUp() override {
    StartServers(Smtp::Started);
    if (!Started()) return;
    for (const auto& [kind, title] :
         {std::pair{ServerKind::Majordomo, "mj"}, {ServerKind::Fml, "fml"}}) {
      MailingList list = kit_->List(kind);
      list.Title = title;
      ASSERT_FALSE(AddToRegister(store_, list).has_value());
      kit_->Reset(kind);
    }
  }

  struct Outcome {
    int status;
    std::string out;
    std::string err;
  };

  Outcome Cli(std::vector<std::string> args) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(args, store_, in, out, err);
    return {status, out.str(), err.str()};
  }

  void Ok(std::vector<std::string> args) {
    const Outcome outcome = Cli(args);
    ASSERT_EQ(outcome.status, 0) << args[0] << ": " << outcome.err;
  }

  // Sends the queue; each mail reaches its server, and the replies to the administrator land in
  // the IMAP mailbox; then fetches them.
  void SendServeAndFetch() {
    Ok({"send"});
    std::map<int, fs::path> sent;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / "outbox")) {
      if (entry.path().extension() == ".eml") sent[std::stoi(entry.path().stem())] = entry.path();
    }
    for (const auto& [number, file] : sent) {
      const std::string mail = testing::ReadFile(file);
      const ServerKind kind = mail.find("To: majordomo@localhost") != std::string::npos
                                  ? ServerKind::Majordomo
                                  : ServerKind::Fml;
      for (const std::string& reply : kit_->DeliverForReplies(kind, mail)) {
        const std::size_t body = reply.find("\n\n");
        if (reply.substr(0, body).find("admin@example.org") != std::string::npos &&
            reply.find("Subject: Welcome") == std::string::npos) {
          imap_->Deliver(reply);
        }
      }
      fs::remove(file);
    }
    Ok({"fetch"});
  }

  void AskRosters() {
    Ok({"compose", "mj", "members"});
    Ok({"compose", "fml", "members"});
    SendServeAndFetch();
  }

  Addresses MembersFile(ServerKind kind) const {
    Addresses members;
    std::istringstream lines(testing::ReadFile(kit_->State(kind, "members")));
    // fml writes options after an address ("a@example.net " and more).
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line[0] != '#') members.insert(line.substr(0, line.find(' ')));
    }
    return members;
  }

  std::size_t QueuedCount() const {
    std::size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / "box")) {
      if (entry.is_directory() && entry.path().filename().string()[0] != '.')
        count += QueuedFiles(entry.path()).size();
    }
    return count;
  }
};

TEST_F(MembersAcrossLists, FindRemoveAndSyncOnAMajordomoAndAnFmlListOfOneName) {
  Ok({"compose", "mj", "subscribe", "--address", "tanaka@example.net", "--address",
      "s1@example.net"});
  Ok({"compose", "fml", "subscribe", "--address", "Tanaka@example.net"});
  AskRosters();

  // Each list of the name is its own: its roster is its server's.
  EXPECT_EQ(Cli({"members", "mj"}).out, "s1@example.net\ntanaka@example.net\n");
  const Outcome fmlMembers = Cli({"members", "fml"});
  EXPECT_EQ(fmlMembers.out,
            "admin@example.org\na1@example.net\na2@example.net\na3@example.net\n"
            "Tanaka@example.net\n");

  const Outcome found = Cli({"find", "tanaka@EXAMPLE.net"});
  ASSERT_EQ(found.status, 0) << found.err;
  std::istringstream hits(found.out);
  std::vector<std::string> titles;
  for (std::string line; std::getline(hits, line);)
    titles.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(titles, (std::vector<std::string>{"fml", "mj"})) << found.out;
  const Outcome fmlOnly = Cli({"find", "a1@example.net"});
  EXPECT_EQ(fmlOnly.out.substr(0, 19), "fml\ta1@example.net\t") << fmlOnly.out;

  const Outcome removed = Cli({"remove", "tanaka@example.net"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(QueuedCount(), 2u) << removed.out;
  SendServeAndFetch();
  EXPECT_EQ(MembersFile(ServerKind::Majordomo), Addresses{"s1@example.net"});
  EXPECT_EQ(MembersFile(ServerKind::Fml).count("Tanaka@example.net"), 0u);

  // The staff directory: 500 addresses, Shift_JIS CSV as a spreadsheet saves it.
  std::string csv = "氏名,メールアドレス\r\n";
  Addresses staff;
  for (int i = 0; i < 500; ++i) {
    const std::string address = "staff" + std::to_string(i) + "@example.net";
    staff.insert(address);
    csv += "社員" + std::to_string(i) + "," + address + "\r\n";
  }
  const fs::path file = dir_ / "staff.csv";
  testing::WriteFile(file, Utf8ToCp932(csv).text);
  testing::WriteFile(dir_ / "broken.csv", Utf8ToCp932(csv + "田中,田中@example.net\r\n").text);

  AskRosters();
  for (const char* title : {"mj", "fml"}) {
    const Outcome refused = Cli({"sync", title, (dir_ / "broken.csv").string(), "--yes"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("502行目"), std::string::npos) << refused.err;
    EXPECT_EQ(Cli({"sync", title, file.string()}).status, 1) << "removes all: wants a yes";
  }
  EXPECT_EQ(QueuedCount(), 0u) << "a refused sync queues nothing";
  Ok({"sync", "mj", file.string(), "--yes"});
  const Outcome fmlSync = Cli({"sync", "fml", file.string(), "--yes"});
  ASSERT_EQ(fmlSync.status, 0) << fmlSync.err;
  EXPECT_NE(fmlSync.err.find("administrator's own address"), std::string::npos) << fmlSync.err;
  SendServeAndFetch();

  EXPECT_EQ(MembersFile(ServerKind::Majordomo), staff);
  Addresses withAdmin = staff;
  withAdmin.insert("admin@example.org");
  EXPECT_EQ(MembersFile(ServerKind::Fml), withAdmin);
}

}  // namespace
}  // namespace tarnwick
