// The held store's files: the first shape moved into the journal, a journal cut off, damaged or
// hostile, the scratch files a crash left, and writes gathered into one append.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/moderation/held_store.h"
#include "core/platform/record_log.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

const fs::path kSamples = fs::path(TARNWICK_TEST_DATA) / "moderation";

HeldNotice Notice(const std::string& sample) {
  std::optional<HeldNotice> notice = ReadHeldNotice(ReadFile(kSamples / sample));
  EXPECT_TRUE(notice.has_value()) << sample;
  return notice.value_or(HeldNotice{});
}

// A post notice of its own for each number: as many items as asked.
HeldNotice Numbered(int number) {
  HeldNotice notice = Notice("majordomo/01-mod-member-post.sent1.eml");
  notice.post = "From: p" + std::to_string(number) + "@example.net\nSubject: post " +
                std::to_string(number) + "\n\nbody\n";
  notice.messageIds = {"<m" + std::to_string(number) + "@example.net>"};
  return notice;
}

// The fields of an item as the store's first shape wrote them, a file per item.
std::string FirstShapeFields(std::uint64_t id, const std::string& key, const std::string& subject) {
  return "id\t" + std::to_string(id) + "\nkey\t" + key +
         "\nstate\t1\nstate-reason\t\nform\t0\nserver\t0\nlist\ttestlist\nhost\tlocalhost\n"
         "kind\t0\nsender\tAlice <a1@example.net>\nsubject\t" +
         subject +
         "\ndate\t1717462800\narrived\t1800000000\nreason\tApproval required:\nrequester\t\n"
         "fml-id\t\nmessage-ids\t<old" +
         std::to_string(id) + "@example.net>\nanswer-id\t<answer@example.org>\npost-whole\t1\n";
}

class HeldStoreFilesTest : public ::testing::Test {
 protected:
  std::optional<HeldStore> TryOpen(std::string* failure = nullptr) {
    std::string why;
    std::optional<HeldStore> store = HeldStore::Open(dir_.path().string(), why);
    if (failure != nullptr) *failure = why;
    return store;
  }
  HeldStore Open() {
    std::optional<HeldStore> store = TryOpen();
    EXPECT_TRUE(store.has_value());
    return std::move(store).value();
  }
  void Add(HeldStore& store, int from, int to) {
    for (int number = from; number < to; ++number) {
      int error = -1;
      ASSERT_EQ(store.Take(Numbered(number), 1'800'000'000, error), HeldStore::Taken::Added);
      ASSERT_EQ(error, 0);
    }
  }
  std::vector<std::uint64_t> Ids() {
    std::vector<std::uint64_t> ids;
    const HeldStore store = Open();
    for (const HeldItem& item : store.items())
      ids.push_back(item.id);
    return ids;
  }
  fs::path Held(std::string_view name) const { return dir_ / ".held" / name; }

  testing::TempDir dir_;
};

TEST_F(HeldStoreFilesTest, AStoreOfTheFirstShapeMovesIntoTheJournalWithItsIds) {
  const std::string a(32, 'a'), b(32, 'b'), damaged(32, 'c');
  fs::create_directory(dir_ / ".held");
  WriteFile(Held(a + ".item"), FirstShapeFields(3, a, "third"));
  WriteFile(Held(a + ".eml"), "From: a\n\nthe third post\n");
  WriteFile(Held(b + ".item"), FirstShapeFields(7, b, "seventh"));  // its post never written
  WriteFile(Held(damaged + ".item"), "id\tx\nkey\t" + damaged + "\n");
  WriteFile(Held("notes.txt"), "the user's");
  const std::string linked(32, 'f');
  WriteFile(dir_ / "outside.item", FirstShapeFields(5, linked, "linked"));
  fs::create_symlink(dir_ / "outside.item", Held(linked + ".item"));

  for (int round = 0; round < 2; ++round) {
    const HeldStore store = Open();
    ASSERT_EQ(store.items().size(), 2u) << round;
    const HeldItem& third = store.items()[0];
    EXPECT_EQ(third.id, 3u);
    EXPECT_EQ(third.subject, "third");
    EXPECT_EQ(third.state, HeldState::Awaiting);
    EXPECT_EQ(third.answerId, "<answer@example.org>");
    EXPECT_EQ(store.PostOf(third), "From: a\n\nthe third post\n");
    EXPECT_EQ(store.ItemOfMessageId("<old3@example.net>"), &store.items()[0]);
    EXPECT_EQ(store.items()[1].id, 7u);
    EXPECT_EQ(store.PostOf(store.items()[1]), std::nullopt);
  }
  EXPECT_FALSE(fs::exists(Held(a + ".item")));
  EXPECT_FALSE(fs::exists(Held(a + ".eml")));
  EXPECT_TRUE(fs::exists(Held(damaged + ".item"))) << "never an item: left as it was";
  EXPECT_TRUE(fs::exists(Held("notes.txt")));
  EXPECT_TRUE(fs::is_symlink(Held(linked + ".item"))) << "a link is never read as an item";
  EXPECT_EQ(ReadFile(dir_ / "outside.item"), FirstShapeFields(5, linked, "linked"));
  HeldStore store = Open();
  Add(store, 0, 1);
  EXPECT_EQ(Ids(), (std::vector<std::uint64_t>{3, 7, 8}));

  // An item the first shape wrote again after the move, its number taken meanwhile: it is kept
  // under a new one; one already moved (a crash left its files) is not kept twice.
  const std::string d(32, 'd');
  WriteFile(Held(d + ".item"), FirstShapeFields(8, d, "late"));
  WriteFile(Held(a + ".item"), FirstShapeFields(3, a, "third"));
  EXPECT_EQ(Ids(), (std::vector<std::uint64_t>{3, 7, 8, 9}));
  EXPECT_FALSE(fs::exists(Held(a + ".item")));
}

TEST_F(HeldStoreFilesTest, AJournalCutOffOrDamagedKeepsWhatWasWholeAndWritesOn) {
  {
    HeldStore store = Open();
    Add(store, 0, 3);
  }
  const std::string whole = ReadFile(Held("items"));
  const std::string header = whole.substr(0, whole.find('\n') + 1);
  const std::size_t third = whole.rfind("\x1eR");
  for (const std::size_t cut : {third + 1, third + 20, whole.size() - 1}) {
    WriteFile(Held("items"), whole.substr(0, cut));
    EXPECT_EQ(Ids(), (std::vector<std::uint64_t>{1, 2})) << cut;
    EXPECT_EQ(ReadFile(Held("items")), whole.substr(0, third)) << "written anew, whole";
  }
  // Garbage in the middle (a torn append that later appends followed): around it all reads.
  WriteFile(Held("items"), whole.substr(0, third) + "\x1eR0000ff" + whole.substr(third));
  EXPECT_EQ(Ids(), (std::vector<std::uint64_t>{1, 2, 3}));
  {
    HeldStore store = Open();
    Add(store, 3, 4);
    HeldItem item = store.items()[0];
    item.state = HeldState::Rejected;
    ASSERT_EQ(store.Update(item), 0);
    EXPECT_EQ(store.PostOf(store.items()[2]), Numbered(2).post);
  }
  const HeldStore store = Open();
  EXPECT_EQ(store.items().size(), 4u);
  EXPECT_EQ(store.items()[0].state, HeldState::Rejected);

  // A file of posts cut short or changed: the post can't be read, the item still is.
  fs::resize_file(Held("posts"), fs::file_size(Held("posts")) - 2);
  EXPECT_EQ(Open().PostOf(Open().items()[3]), std::nullopt);
  EXPECT_EQ(Open().PostOf(Open().items()[0]), Numbered(0).post);
  std::string posts = ReadFile(Held("posts"));
  posts[3] ^= 1;
  WriteFile(Held("posts"), posts);
  EXPECT_EQ(Open().PostOf(Open().items()[0]), std::nullopt);
  EXPECT_EQ(header, "tarnwick held store 1\n");
}

TEST_F(HeldStoreFilesTest, AHostileJournalIsReadBoundedOrRefusedUntouched) {
  {
    HeldStore store = Open();
    Add(store, 0, 1);
  }
  // Records of items whose fields or post places are out of range are not items.
  const std::string header = "tarnwick held store 1\n";
  const std::string good = ReadFile(Held("items")).substr(header.size());
  WriteFile(Held("items"),
            header + FramedRecord("id\t1\nkey\tk\n") +
                FramedRecord("id\t2\nkey\tk2\narrived\t0\nstate\t0\nform\t0\n"
                             "server\t0\nkind\t0\npost-at\t1\npost-size\t99999999999\n") +
                std::string(1 << 16, '\x1e') + good);
  EXPECT_EQ(Ids(), (std::vector<std::uint64_t>{1}));

  std::string failure;
  WriteFile(Held("items"), "tarnwick held store 2\nwhatever a later version writes\n");
  EXPECT_FALSE(TryOpen(&failure).has_value());
  EXPECT_NE(failure.find("items"), std::string::npos) << failure;
  EXPECT_EQ(ReadFile(Held("items")), "tarnwick held store 2\nwhatever a later version writes\n");

  fs::resize_file(Held("items"), (std::uintmax_t{256} << 20) + 1);  // sparse: no disk taken
  EXPECT_FALSE(TryOpen(&failure).has_value());
  EXPECT_EQ(fs::file_size(Held("items")), (std::uintmax_t{256} << 20) + 1);

  fs::remove(Held("items"));
  WriteFile(dir_ / "elsewhere", header + good);
  fs::create_symlink(dir_ / "elsewhere", Held("items"));
  EXPECT_FALSE(TryOpen(&failure).has_value()) << "never read through a link";
  EXPECT_EQ(ReadFile(dir_ / "elsewhere"), header + good);
}

TEST_F(HeldStoreFilesTest, StaleScratchFilesOfTheStoreGoAndNothingElse) {
  Open();
  const std::string key(32, 'e');
  const fs::path old[] = {Held(".items.Ab12Cd"), Held("." + key + ".item.x9Y8z7"),
                          Held("." + key + ".eml.QQQQQQ")};
  const fs::path kept[] = {Held(".items.Fresh1"), Held(".other.ABCDEF"), Held(".items.AB"),
                           Held("items.Ab12Cd")};
  for (const fs::path& file : old)
    WriteFile(file, "left by a crash");
  for (const fs::path& file : kept)
    WriteFile(file, "not a stale scratch file of the store");
  WriteFile(dir_ / "target", "the user's");
  fs::create_symlink(dir_ / "target", Held(".items.Link12"));
  const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const fs::path& file : old)
    fs::last_write_time(file, hourAgo);
  for (const fs::path& file : {kept[1], kept[2], kept[3], dir_ / "target"})
    fs::last_write_time(file, hourAgo);
  const timespec times[2] = {{0, UTIME_OMIT}, {time(nullptr) - 3600, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, Held(".items.Link12").c_str(), times, AT_SYMLINK_NOFOLLOW), 0);

  Open();
  for (const fs::path& file : old)
    EXPECT_FALSE(fs::exists(file)) << file;
  for (const fs::path& file : kept)
    EXPECT_TRUE(fs::exists(file)) << file;
  EXPECT_TRUE(fs::is_symlink(Held(".items.Link12")));
  EXPECT_EQ(ReadFile(dir_ / "target"), "the user's");
}

// Writes gathered with Later reach the disk only at Sync, one record for each item however often
// it changed; a Sync that fails keeps them for the next one.
TEST_F(HeldStoreFilesTest, GatheredWritesGoInOneAppendAtSync) {
  HeldStore store = Open();
  store.SetDurability(Durability::Later);
  Add(store, 0, 200);
  for (int round = 0; round < 3; ++round) {
    for (std::size_t i = 0; i < 100; ++i) {
      HeldItem item = store.items()[i];
      item.state = round == 2 ? HeldState::Discarded : HeldState::Awaiting;
      ASSERT_EQ(store.Update(item), 0);
    }
  }
  EXPECT_EQ(store.PostOf(store.items()[5]), Numbered(5).post) << "before it is on disk";
  EXPECT_EQ(Open().items().size(), 0u);
  {
    testing::FileSizeLimit full(4096);
    EXPECT_NE(store.Sync(), 0);
  }
  ASSERT_EQ(store.Sync(), 0);
  const std::string journal = ReadFile(Held("items"));
  EXPECT_EQ(ReadRecords(journal, 1 << 20).payloads.size(), 200u);
  const HeldStore again = Open();
  ASSERT_EQ(again.items().size(), 200u);
  EXPECT_EQ(again.items()[99].state, HeldState::Discarded);
  EXPECT_EQ(again.items()[100].state, HeldState::Pending);
  EXPECT_EQ(again.ItemOfId(150), &again.items()[149]);
  EXPECT_EQ(again.PostOf(again.items()[199]), Numbered(199).post);
  EXPECT_EQ(fs::status(dir_ / ".held").permissions() & fs::perms::all, fs::perms::owner_all);

  // Superseded records outnumbering the items: the journal is written anew, one record each.
  for (int round = 0; round < 2; ++round) {
    for (std::size_t i = 0; i < 200; ++i)
      ASSERT_EQ(store.Update(store.items()[i]), 0);
    ASSERT_EQ(store.Sync(), 0);
  }
  Open();
  const std::string compacted = ReadFile(Held("items"));
  EXPECT_EQ(ReadRecords(compacted, 1 << 20).payloads.size(), 200u);
}

// Two copies of the program adding items at once (the window's fetch and the command line's):
// the items of the one that writes last take numbers after the other's, none named twice.
TEST_F(HeldStoreFilesTest, StoresWritingAtOnceNeverGiveOneNumberTwice) {
  HeldStore window = Open();
  HeldStore shell = Open();
  Add(shell, 0, 2);
  window.SetDurability(Durability::Later);
  Add(window, 2, 5);
  HeldItem answered = shell.items()[0];
  answered.state = HeldState::Rejected;
  ASSERT_EQ(shell.Update(answered), 0);
  ASSERT_EQ(window.Sync(), 0);
  EXPECT_EQ(window.items()[0].id, 3u);
  EXPECT_EQ(window.ItemOfId(5), &window.items()[2]);
  EXPECT_EQ(window.ItemOfId(1), nullptr) << "the other's items are not read in";
  Add(shell, 5, 6);
  const HeldStore store = Open();
  EXPECT_EQ(Ids(), (std::vector<std::uint64_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(store.items()[0].state, HeldState::Rejected);
  EXPECT_EQ(store.PostOf(store.items()[3]), Numbered(3).post);
}

}  // namespace
}  // namespace tarnwick
