#include "core/compose/queue_move.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "core/compose/queue_folder.h"
#include "core/compose/queue_writer.h"
#include "core/store/mailing_list_register.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

class QueueMoveTest : public ::testing::Test {
 protected:
  QueueMoveTest() {
    fs::create_directories(dir_ / "old");
    Add("dev", "fml@example.jp");
    Add("staff", "majordomo@example.org");
    Add("staff", "fml@example.jp");  // the same name: each its own folder, and the shared one
  }
  void Add(const char* name, const char* address) {
    auto list = std::make_unique<MailingList>();
    list->Title = std::string(name) + "@" + address;
    list->Name = name;
    list->Address = address;
    lists_.Insert(std::move(list));
  }
  std::string From() const { return (dir_ / "old").string(); }
  std::string To() const { return (dir_ / "new").string(); }
  std::vector<std::string> Mails(const std::string& box, const char* folder) const {
    std::vector<std::string> mails;
    for (const fs::path& file : QueuedFiles(fs::path(box) / folder))
      mails.push_back(ReadFile(file));
    std::sort(mails.begin(), mails.end());
    return mails;
  }

  testing::TempDir dir_;
  MailingListRegister lists_;
};

TEST_F(QueueMoveTest, EveryQueuedMailMovesWholeUnderItsFolderNameAndLeavesTheOldBox) {
  const std::string big(1 << 20, 'x');
  for (const char* folder : {"dev", "staff", "staff@fml@example.jp"}) {
    ASSERT_EQ(QueueMail(From(), folder, std::string("To: ") + folder + "\r\n\r\n1").status,
              QueueStatus::Queued);
  }
  ASSERT_EQ(QueueMail(From(), "dev", big).status, QueueStatus::Queued);
  testing::WriteFile(dir_ / "old/dev/notes.txt", "not a queued mail");
  fs::create_directories(To());
  // A mail already in the new box keeps its place beside the moved ones.
  ASSERT_EQ(QueueMail(To(), "dev", "there before").status, QueueStatus::Queued);

  const QueueMove move = MoveQueue(From(), To(), lists_);
  EXPECT_EQ(move.moved, 4);
  EXPECT_EQ(move.left, 0);
  EXPECT_EQ(move.failure, "");
  EXPECT_EQ(Mails(To(), "dev"),
            (std::vector<std::string>{"To: dev\r\n\r\n1", "there before", big}));
  EXPECT_EQ(Mails(To(), "staff"), std::vector<std::string>{"To: staff\r\n\r\n1"});
  EXPECT_EQ(Mails(To(), "staff@fml@example.jp").size(), 1u);
  for (const char* folder : {"dev", "staff", "staff@fml@example.jp"})
    EXPECT_TRUE(QueuedFiles(dir_ / "old" / folder).empty()) << folder;
  EXPECT_TRUE(fs::exists(dir_ / "old/dev/notes.txt")) << "only queued mails are the queue's";
  struct stat info {};
  ASSERT_EQ(stat(QueuedFiles(dir_ / "new/staff").front().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "a moved mail still carries the list password";
}

TEST_F(QueueMoveTest, AMailThatCannotMoveStaysQueuedWhereItWasAndIsNamed) {
  ASSERT_EQ(QueueMail(From(), "dev", "one").status, QueueStatus::Queued);
  ASSERT_EQ(QueueMail(From(), "staff", "two").status, QueueStatus::Queued);
  // The new box has a file where the list's folder would go: that list's mail can't move.
  testing::WriteFile(dir_ / "new/staff", "in the way");

  const QueueMove move = MoveQueue(From(), To(), lists_);
  EXPECT_EQ(move.moved, 1);
  EXPECT_EQ(move.left, 1);
  EXPECT_NE(move.failure.find("を移動先に書けませんでした (同名のﾌｧｲﾙがあります)"),
            std::string::npos)
      << move.failure;
  EXPECT_EQ(Mails(To(), "dev"), std::vector<std::string>{"one"});
  EXPECT_EQ(Mails(From(), "staff"), std::vector<std::string>{"two"}) << "nothing is lost";
}

TEST_F(QueueMoveTest, NoTargetOrTheSameFolderMovesNothing) {
  ASSERT_EQ(QueueMail(From(), "dev", "one").status, QueueStatus::Queued);
  QueueMove move = MoveQueue(From(), (dir_ / "missing").string(), lists_);
  EXPECT_EQ(move.moved, 0);
  EXPECT_EQ(move.left, 1);
  EXPECT_EQ(move.failure, "移動先のﾌｫﾙﾀﾞがありません");
  EXPECT_FALSE(fs::exists(dir_ / "missing")) << "a chosen folder is not made behind the user";

  move = MoveQueue(From(), (dir_ / "old/../old").string(), lists_);
  EXPECT_EQ(move.moved + move.left, 0) << "a folder moved onto itself would lose nothing, and "
                                          "must not be counted as moved";
  EXPECT_EQ(Mails(From(), "dev"), std::vector<std::string>{"one"});
}

}  // namespace
}  // namespace tarnwick
