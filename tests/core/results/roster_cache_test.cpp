#include "core/results/roster_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// An fml list whose sent mails and fml's replies are laid in the mail box as delivery and fetch
// leave them.
class RosterCacheTest : public ::testing::Test {
 protected:
  RosterCacheTest() {
    auto list = std::make_unique<MailingList>();
    list->Title = "staff";
    list->Type = ServerKind::Fml;
    list->Name = "staff";
    list->Address = "staff-ctl@example.jp";
    list->Admin = "admin@example.jp";
    list->Password = "pw";
    list_ = &lists_.at(lists_.Insert(std::move(list)));
    fs::create_directories(box_ / ".sent" / "staff");
    fs::create_directories(box_ / ".replies");
  }

  std::string Box() const { return box_.path().string(); }
  fs::path File() const {
    for (const fs::directory_entry& entry : fs::directory_iterator(box_ / ".rosters"))
      return entry.path();
    return {};
  }

  // A sent mail of `commands` ("# admin ..." lines), answered (or not) by fml: its status, and
  // for members the addresses.
  void Sent(const std::string& token, const std::string& commands, const Texts* members,
            bool answered = true) {
    const std::string id = "<" + token + "@example.jp>";
    Write(box_ / ".sent" / "staff" / ("RXV" + token + ".tmp"),
          "From: admin@example.jp\r\nTo: staff-ctl@example.jp\r\nSubject: T [" + token +
              "]\r\nMessage-ID: " + id + "\r\nX-Command: T\r\n\r\n# admin pass pw\r\n" + commands);
    if (!answered) return;
    const std::string head =
        "From: staff-admin@example.jp\nReply-To: staff-ctl@example.jp\nReferences: " + id + "\n";
    std::string status = head + "Subject: status\n\n>>> admin pass ********\nOK\n";
    for (std::size_t at = 0; at < commands.size();) {
      const std::size_t end = commands.find("\r\n", at);
      status += ">>> " + commands.substr(at + 2, end - at - 2) + "\nOK\n";
      at = end + 2;
    }
    Write(box_ / ".replies" / (token + "s.eml"), status);
    if (members == nullptr) return;
    std::string list = head + "Subject: members (staff ML)\n\n-----\n";
    for (const std::string& member : *members)
      list += member + "\n";
    Write(box_ / ".replies" / (token + "m.eml"), list + "-----\n");
  }

  static void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
  }

  std::optional<Roster> Cached() const { return CachedLatestRoster(Box(), lists_, *list_); }
  std::optional<Roster> Fresh() const {
    return LatestRoster(CollectResults(Box(), lists_), *list_);
  }

  testing::TempDir box_;
  MailingListRegister lists_;
  const MailingList* list_ = nullptr;
};

TEST_F(RosterCacheTest, GivesWhatTheRepliesGiveAndFollowsEveryNewReply) {
  EXPECT_FALSE(Cached()) << "no members mail answered yet";
  const Texts first{"a@example.jp", "b@example.jp", "c@example.jp"};
  Sent("00000001", "# admin members\r\n", &first);
  ASSERT_TRUE(Cached());
  EXPECT_EQ(Cached()->members, first);
  struct stat info {};
  ASSERT_EQ(stat((box_ / ".rosters").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u) << "member addresses are private";

  // A bye and an add done since, a changed address, and one not yet answered.
  Sent("00000002", "# admin bye B@example.jp\r\n# admin add d@example.jp\r\n", nullptr);
  Sent("00000003", "# admin chaddr a@example.jp e@example.jp\r\n", nullptr);
  Sent("00000004", "# admin add f@example.jp\r\n", nullptr, false);
  EXPECT_EQ(Cached()->members, (Texts{"c@example.jp", "d@example.jp", "e@example.jp"}));
  EXPECT_EQ(Cached()->members, Fresh()->members);
  EXPECT_EQ(Cached()->date, Fresh()->date);

  const Texts second{"x@example.jp"};
  Sent("00000005", "# admin members\r\n", &second);
  EXPECT_EQ(Cached()->members, second);
  fs::remove(box_ / ".replies" / "00000005m.eml");
  EXPECT_EQ(Cached()->members, Fresh()->members) << "a reply gone is a change too";
}

TEST_F(RosterCacheTest, ASpoiltOrForeignFileIsMadeAgain) {
  const Texts members{"a@example.jp", "b@example.jp"};
  Sent("00000001", "# admin members\r\n", &members);
  ASSERT_TRUE(Cached());
  const fs::path file = File();
  std::string kept;
  std::getline(std::ifstream(file), kept);
  const std::string head = kept.substr(0, kept.rfind(' ') + 1);
  for (const std::string& spoilt :
       {std::string(), std::string("\0\xff\x82\n", 4), kept, head + "12x\nz@example.jp\n",
        head + "99\nz@example.jp",
        std::string("tarnwick-roster 1 0000000000000000 5\nz@example.jp\n")}) {
    Write(file, spoilt);
    ASSERT_TRUE(Cached()) << spoilt;
    EXPECT_EQ(Cached()->members, members) << spoilt;
  }
}

TEST_F(RosterCacheTest, NeverGoesThroughALinkAndForgetsListsNoLongerRegistered) {
  const Texts members{"a@example.jp"};
  Sent("00000001", "# admin members\r\n", &members);
  testing::TempDir elsewhere;
  fs::create_directory_symlink(elsewhere.path(), box_ / ".rosters");
  ASSERT_TRUE(Cached());
  EXPECT_EQ(Cached()->members, members);
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
  fs::remove(box_ / ".rosters");

  ASSERT_TRUE(Cached());
  std::ofstream(box_ / ".rosters" / "0123456789abcdef.roster").flush();
  std::size_t visited = 0;
  VisitLatestRosters(Box(), lists_, {list_}, [&](std::size_t, const RosterView* roster) {
    ++visited;
    ASSERT_NE(roster, nullptr);
    EXPECT_EQ(roster->members.size(), 1u);
  });
  EXPECT_EQ(visited, 1u);
  EXPECT_FALSE(fs::exists(box_ / ".rosters" / "0123456789abcdef.roster"))
      << "every list read: the others' files go";
}

}  // namespace
}  // namespace tarnwick
