#include "core/compose/list_folders.h"

#include <gtest/gtest.h>

#include "core/compose/queue_folder.h"
#include "core/compose/queue_reader.h"
#include "core/compose/queue_writer.h"
#include "core/store/mailing_list_register.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFile;

std::string MailTo(const std::string& to) {
  return "From: admin@example.org\r\nTo: " + to + "\r\nX-Command: Who\r\n\r\nwho\r\n";
}

// A Majordomo and an fml list both named "staff", and a list of its own name.
class ListFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add("maj", "staff", "majordomo@example.org");
    Add("fml", "staff", "staff-ctl@example.org");
    Add("dev", "dev", "majordomo@example.org");
  }
  void Add(const char* title, const char* name, const char* address) {
    auto list = std::make_unique<MailingList>();
    list->Title = title;
    list->Name = name;
    list->Address = address;
    lists_.Insert(std::move(list));
  }
  const MailingList& List(std::string_view title) { return *lists_.FindByTitle(title); }
  ListFolders Of(std::string_view title) { return FoldersOf(lists_, List(title)); }
  std::string Box() const { return dir_.path().string(); }
  std::vector<std::string> Names(const std::vector<fs::path>& files) {
    std::vector<std::string> names;
    for (const fs::path& file : files)
      names.push_back(file.parent_path().filename().string() + "/" + file.filename().string());
    return names;
  }

  TempDir dir_;
  MailingListRegister lists_;
};

TEST_F(ListFoldersTest, ANameOfItsOwnKeepsItsFolderListsSharingOneGetTheirOwn) {
  EXPECT_EQ(Of("dev").newMails, "dev");
  EXPECT_EQ(Of("maj").newMails, "staff@majordomo@example.org");
  EXPECT_EQ(Of("fml").newMails, "staff@staff-ctl@example.org");
  ASSERT_EQ(QueueMail(Box(), Of("maj").newMails, MailTo("majordomo@example.org")).status,
            QueueStatus::Queued);
  ASSERT_EQ(QueueMail(Box(), Of("fml").newMails, MailTo("staff-ctl@example.org")).status,
            QueueStatus::Queued);
  EXPECT_EQ(CountQueuedMails(Box(), Of("maj")), 1);
  EXPECT_EQ(CountQueuedMails(Box(), Of("fml")), 1);
  EXPECT_EQ(CollectQueue(Box(), lists_).size(), 2u);
}

// The folders of the whole register at once are those each list is given alone.
TEST_F(ListFoldersTest, TheFoldersOfEveryListAtOnceAreEachListsOwn) {
  Add("odd", "../up", "x@example.org");
  const auto text = [](const ListFolders& folders) {
    std::string joined = folders.newMails + ":";
    for (const MailFolder& folder : folders.read)
      joined += " " + folder.name + "/" + folder.onlyTo;
    return joined;
  };
  const std::vector<ListFolders> each = FoldersOfEach(lists_);
  ASSERT_EQ(each.size(), lists_.size());
  for (std::size_t i = 0; i < lists_.size(); ++i)
    EXPECT_EQ(text(each[i]), text(FoldersOf(lists_, lists_.at(i))));
  EXPECT_EQ(text(each[0]), text(Of("dev")));  // the register's order
}

// Leaving out the folders the mail box does not hold changes no list's files, of either kind.
TEST_F(ListFoldersTest, TheFoldersThereAreGiveTheSameFilesAsAllFolders) {
  Add("jp", "\x8a\x4a\x94\xad", "majordomo@example.org");  // "開発"
  WriteFile(dir_ / "staff" / "RXV1.tmp", MailTo("majordomo@example.org"));
  WriteFile(dir_ / "開発" / "RXV2.tmp", MailTo("majordomo@example.org"));
  WriteFile(dir_ / ".sent" / "dev" / "RXV3.tmp", MailTo("majordomo@example.org"));
  WriteFile(dir_ / ".sent" / "staff@staff-ctl@example.org" / "RXV4.tmp", MailTo("x"));
  const std::vector<ListFolders> all = FoldersOfEach(lists_);
  const std::vector<ListFolders> queues = FoldersOfEach(lists_, Box(), FolderKind::Queue);
  const std::vector<ListFolders> sent = FoldersOfEach(lists_, Box(), FolderKind::Sent);
  std::size_t queued = 0;
  for (std::size_t i = 0; i < lists_.size(); ++i) {
    EXPECT_EQ(Names(ListMailFiles(Box(), queues[i])), Names(ListMailFiles(Box(), all[i])));
    EXPECT_EQ(Names(ListSentFiles(Box(), sent[i])), Names(ListSentFiles(Box(), all[i])));
    EXPECT_EQ(queues[i].newMails, all[i].newMails) << "new mails still go where they went";
    queued += ListMailFiles(Box(), queues[i]).size();
  }
  EXPECT_EQ(queued, 2u);
  EXPECT_TRUE(queues[0].read.empty()) << "dev has no queue folder";
  EXPECT_EQ(sent[0].read.size(), 1u) << "but a sent one";
  // A mail box that is not there holds no folders.
  const std::vector<ListFolders> none = FoldersOfEach(lists_, Box() + "/absent", FolderKind::Queue);
  for (const ListFolders& folders : none)
    EXPECT_TRUE(folders.read.empty());
}

// A mail box from before the name was shared: each mail of "staff/" is the list it went to.
TEST_F(ListFoldersTest, TheSharedFolderOfAnOlderMailBoxIsReadByEachMailsServer) {
  WriteFile(dir_ / "staff" / "RXV1.tmp", MailTo("Majordomo@Example.ORG"));
  WriteFile(dir_ / "staff" / "RXV2.tmp", MailTo("\"fml\" <staff-ctl@example.org>"));
  WriteFile(dir_ / "staff" / "RXV3.tmp", MailTo("someone-else@example.org"));
  WriteFile(dir_ / "staff" / "RXV4.tmp", "no header at all");
  WriteFile(dir_ / ".sent" / "staff" / "RXV5.tmp", MailTo("staff-ctl@example.org"));
  EXPECT_EQ(Names(ListMailFiles(Box(), Of("maj"))), (std::vector<std::string>{"staff/RXV1.tmp"}));
  EXPECT_EQ(Names(ListMailFiles(Box(), Of("fml"))), (std::vector<std::string>{"staff/RXV2.tmp"}));
  EXPECT_TRUE(ListSentFiles(Box(), Of("maj")).empty());
  EXPECT_EQ(Names(ListSentFiles(Box(), Of("fml"))), (std::vector<std::string>{"staff/RXV5.tmp"}));
  EXPECT_EQ(CollectQueue(Box(), lists_).size(), 2u) << "mails of no list stay where they are";
}

// Once the other list is gone, the name is the list's own again and nothing it queued is lost.
TEST_F(ListFoldersTest, MailsQueuedWhileTheNameWasSharedStayTheLists) {
  WriteFile(dir_ / "staff@staff-ctl@example.org" / "RXV1.tmp", MailTo("staff-ctl@example.org"));
  WriteFile(dir_ / "staff" / "RXV2.tmp", MailTo("majordomo@example.org"));
  for (std::size_t i = 0; i < lists_.size(); ++i) {
    if (lists_.at(i).Title == "maj") lists_.Remove(i);
  }
  EXPECT_EQ(Of("fml").newMails, "staff");
  EXPECT_EQ(CountQueuedMails(Box(), Of("fml")), 2);
}

TEST_F(ListFoldersTest, ANameThatIsNoFolderReadsNothing) {
  WriteFile(dir_ / "x@a" / "RXV1.tmp", MailTo("a"));
  Add("bad", "..", "a");
  EXPECT_TRUE(Of("bad").read.empty());
  EXPECT_EQ(QueueMail(Box(), Of("bad").newMails, "m").status, QueueStatus::InvalidListName);
}

TEST(MailFileTo, ReadsTheHeaderOnly) {
  TempDir dir;
  WriteFile(dir / "a", "Subject: x\r\nTO:  a@b.example\r\n\r\nTo: c@d.example\r\n");
  WriteFile(dir / "b", "Subject: x\r\n\r\nTo: c@d.example\r\n");
  WriteFile(dir / "c", std::string(100, '\0'));
  EXPECT_EQ(MailFileTo(dir / "a"), "a@b.example");
  EXPECT_EQ(MailFileTo(dir / "b"), "");
  EXPECT_EQ(MailFileTo(dir / "c"), "");
  EXPECT_EQ(MailFileTo(dir / "missing"), "");
}

}  // namespace
}  // namespace tarnwick
