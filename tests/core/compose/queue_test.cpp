#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <set>

#include "core/compose/mail_header.h"
#include "core/compose/mail_identity.h"
#include "core/compose/queue_folder.h"
#include "core/compose/queue_reader.h"
#include "core/compose/queue_writer.h"
#include "support/one_folder.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class QueueTest : public ::testing::Test {
 protected:
  std::string Box() const { return dir_.path().string(); }
  std::vector<fs::path> Queued(const char* list) const { return QueuedFiles(dir_ / list); }

  TempDir dir_;
};

TEST_F(QueueTest, TheFirstMailMakesTheFolderAndEveryMailIsWrittenByteForByte) {
  const std::string mail = "From: a\r\nTo: b\r\n\r\n.\r\n\x83\x5C\r\n";
  const QueueOutcome first = QueueMail(Box(), "dev", mail);
  ASSERT_EQ(first.status, QueueStatus::Queued);
  const QueueOutcome second = QueueMail(Box(), "dev", "second");
  ASSERT_EQ(second.status, QueueStatus::Queued);
  EXPECT_EQ(ReadFile(first.path), mail);
  EXPECT_TRUE(std::regex_match(fs::path(first.path).filename().string(),
                               std::regex("RXV[0-9A-F]{1,4}\\.tmp")))
      << first.path;
  EXPECT_EQ(fs::path(first.path).parent_path(), dir_ / "dev");
  EXPECT_EQ(CountQueuedMails(Box(), testing::OneFolder("dev")), 2);
  struct stat info {};
  ASSERT_EQ(stat(first.path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "command mails carry the list password";
}

TEST_F(QueueTest, MailsQueuedWithinOneClockTickGetTheirOwnNames) {
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    const QueueOutcome outcome = QueueMail(Box(), "dev", std::to_string(i));
    ASSERT_EQ(outcome.status, QueueStatus::Queued);
    names.insert(outcome.path);
    EXPECT_EQ(ReadFile(outcome.path), std::to_string(i)) << "no mail replaced another";
  }
  EXPECT_EQ(names.size(), 50u);
  EXPECT_EQ(Queued("dev").size(), 50u);
}

// Many mails queued at once: each its own name in its own list's folder, with what was queued
// singly left alone; a list name that is no folder refuses only its own mails.
TEST_F(QueueTest, MailsQueuedTogetherGetTheirOwnNamesInTheirListsFolders) {
  const QueueOutcome single = QueueMail(Box(), "dev", "single");
  ASSERT_EQ(single.status, QueueStatus::Queued);
  std::vector<std::string> texts;
  std::vector<MailToQueue> mails;
  for (int i = 0; i < 30; ++i)
    texts.push_back(std::to_string(i));
  for (int i = 0; i < 30; ++i)
    mails.push_back({i % 3 == 0 ? "users" : i == 7 ? "../escape" : "dev", texts[i]});
  const std::vector<QueueOutcome> outcomes = QueueMails(Box(), mails);
  ASSERT_EQ(outcomes.size(), 30u);
  std::set<std::string> names{single.path};
  for (int i = 0; i < 30; ++i) {
    if (i == 7) {
      EXPECT_EQ(outcomes[i].status, QueueStatus::InvalidListName);
      continue;
    }
    ASSERT_EQ(outcomes[i].status, QueueStatus::Queued) << i;
    EXPECT_EQ(ReadFile(outcomes[i].path), texts[i]);
    EXPECT_EQ(fs::path(outcomes[i].path).parent_path().filename(), mails[i].folderName);
    names.insert(outcomes[i].path);
  }
  EXPECT_EQ(names.size(), 30u);
  EXPECT_EQ(ReadFile(single.path), "single");
  EXPECT_EQ(Queued("dev").size(), 20u);
  EXPECT_EQ(Queued("users").size(), 10u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "dev"), fs::directory_iterator()), 20)
      << "no scratch file left";
}

// Replies are matched to sent mails by their names: a new mail never takes the name of one.
TEST_F(QueueTest, ANameASentMailStillHasIsNotTakenAgain) {
  const QueueOutcome first = QueueMail(Box(), "dev", "first");
  ASSERT_EQ(first.status, QueueStatus::Queued);
  const std::string name = fs::path(first.path).filename().string();
  const unsigned taken = std::stoul(name.substr(3, name.size() - 7), nullptr, 16);
  fs::create_directories(dir_ / ".sent" / "dev");
  // The names the clock gives for the next seconds, all of them sent mails' names.
  for (unsigned step = 0; step < 5000; ++step) {
    char sent[16];
    std::snprintf(sent, sizeof sent, "RXV%X.tmp", (taken + step) % 0x10000);
    WriteFile(dir_ / ".sent" / "dev" / sent, "");
  }
  const QueueOutcome second = QueueMail(Box(), "dev", "second");
  ASSERT_EQ(second.status, QueueStatus::Queued);
  EXPECT_FALSE(fs::exists(dir_ / ".sent" / "dev" / fs::path(second.path).filename()))
      << second.path;
  EXPECT_EQ(SentPathOf(first.path), dir_ / ".sent" / "dev" / name);
}

TEST_F(QueueTest, AFileInPlaceOfTheFolderIsReported) {
  WriteFile(dir_ / "dev", "not a folder");
  EXPECT_EQ(QueueMail(Box(), "dev", "m").status, QueueStatus::FolderIsFile);
  EXPECT_EQ(ReadFile(dir_ / "dev"), "not a folder");
}

TEST_F(QueueTest, AMissingMailBoxIsNotCreated) {
  const QueueOutcome outcome = QueueMail((dir_ / "no box").string(), "dev", "m");
  EXPECT_EQ(outcome.status, QueueStatus::FolderNotCreated);
  EXPECT_EQ(outcome.error, ENOENT);
  EXPECT_FALSE(fs::exists(dir_ / "no box"));
}

TEST_F(QueueTest, ListNamesThatLeaveTheMailBoxAreRefused) {
  const std::string box = (dir_ / "box").string();
  fs::create_directories(box);
  for (const std::string name : {"", ".", "..", "../escape", "a/b"}) {
    EXPECT_EQ(QueueMail(box, name, "m").status, QueueStatus::InvalidListName) << name;
  }
  EXPECT_TRUE(Queued("").empty());
  EXPECT_TRUE(Queued("box").empty());
  EXPECT_FALSE(fs::exists(dir_ / "escape"));
}

TEST_F(QueueTest, AWriteThatFailsHalfWayLeavesNoQueuedMail) {
  fs::create_directories(dir_ / "dev");
  const QueueOutcome outcome = [&] {
    const testing::FileSizeLimit full(4096);
    return QueueMail(Box(), "dev", std::string(100000, 'x'));
  }();

  EXPECT_EQ(outcome.status, QueueStatus::WriteFailed);
  EXPECT_EQ(outcome.error, EFBIG);
  EXPECT_TRUE(Queued("dev").empty());
  EXPECT_TRUE(fs::is_empty(dir_ / "dev")) << "no scratch file is left behind either";
}

// A program killed while writing leaves its scratch file; the next mail queued clears it, but
// never one that another program is still writing.
TEST_F(QueueTest, ScratchFilesLeftByAKilledWriterAreCleared) {
  fs::create_directories(dir_ / "dev");
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  for (const char* name : {"partial-killed", "partial-writing", "partial-fresh"}) {
    WriteFile(dir_ / "dev" / name, std::string(1000, 'x'));
    if (std::string(name) != "partial-fresh") fs::last_write_time(dir_ / "dev" / name, old);
  }
  const int writer = open((dir_ / "dev" / "partial-writing").c_str(), O_RDONLY);
  ASSERT_EQ(flock(writer, LOCK_EX), 0);
  ASSERT_EQ(QueueMail(Box(), "dev", "mail\r\n").status, QueueStatus::Queued);
  close(writer);
  EXPECT_FALSE(fs::exists(dir_ / "dev" / "partial-killed"));
  EXPECT_TRUE(fs::exists(dir_ / "dev" / "partial-writing"));
  EXPECT_TRUE(fs::exists(dir_ / "dev" / "partial-fresh"));
  EXPECT_EQ(Queued("dev").size(), 1u);
}

TEST_F(QueueTest, TitlesComeFromTheFirstXCommandLine) {
  WriteFile(dir_ / "dev" / "RXV1.tmp", "From: a\r\nX-Command: Subscribe Member\r\n\r\nbody\r\n");
  WriteFile(dir_ / "dev" / "RXV2.tmp", "From: a\r\n\r\nX-Command:NoBlank\r\nX-Command: later\r\n");
  WriteFile(dir_ / "dev" / "RXV3.tmp", "x-command: lower case is not a title\r\n");
  WriteFile(dir_ / "dev" / "RXV4.tmp", "X-Command:\r\n");
  WriteFile(dir_ / "dev" / "notes.txt", "X-Command: not queued\r\n");
  EXPECT_EQ(*QueuedMailTitle(dir_ / "dev" / "RXV1.tmp"), "Subscribe Member");
  EXPECT_EQ(*QueuedMailTitle(dir_ / "dev" / "RXV2.tmp"), "oBlank") << "the 11th character goes";
  EXPECT_FALSE(QueuedMailTitle(dir_ / "dev" / "RXV3.tmp").has_value());
  EXPECT_EQ(*QueuedMailTitle(dir_ / "dev" / "RXV4.tmp"), "");
  EXPECT_FALSE(QueuedMailTitle(dir_ / "dev" / "missing").has_value());

  const std::vector<QueueEntry> entries = ListQueue(Box(), testing::OneFolder("dev"));
  std::set<std::string> titles;
  for (const QueueEntry& entry : entries)
    titles.insert(entry.fileName + "=" + entry.title);
  EXPECT_EQ(titles,
            (std::set<std::string>{"RXV1.tmp=Subscribe Member", "RXV2.tmp=oBlank", "RXV4.tmp="}));
  EXPECT_EQ(CountQueuedMails(Box(), testing::OneFolder("dev")), 4)
      << "a mail without a title still counts";
}

TEST_F(QueueTest, HostileQueueFilesAreReadWithinBounds) {
  std::string binary(200000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>(i * 7 % 256);
  WriteFile(dir_ / "dev" / "RXV1.tmp", binary);
  WriteFile(dir_ / "dev" / "RXV2.tmp", std::string(3 << 20, 'y') + "\nX-Command: after\n");
  WriteFile(dir_ / "dev" / "RXV3.tmp", std::string("X-Comm\0and: x\nX-Command: ok", 27));
  EXPECT_FALSE(QueuedMailTitle(dir_ / "dev" / "RXV1.tmp").has_value());
  EXPECT_EQ(*QueuedMailTitle(dir_ / "dev" / "RXV2.tmp"), "after");
  EXPECT_EQ(*QueuedMailTitle(dir_ / "dev" / "RXV3.tmp"), "ok");
  ASSERT_EQ(mkfifo((dir_ / "dev" / "RXV4.tmp").c_str(), 0600), 0);
  EXPECT_FALSE(QueuedMailTitle(dir_ / "dev" / "RXV4.tmp").has_value()) << "a pipe is never opened";
  EXPECT_FALSE(QueuedMailTitle("/dev/zero").has_value());
}

TEST_F(QueueTest, CollectingTakesEachFileOnceInRegisterOrder) {
  MailingListRegister lists;
  for (const auto& [title, name] :
       {std::pair{"b", "second"}, std::pair{"a", "first"}, std::pair{"d", "../out"}}) {
    auto list = std::make_unique<MailingList>();
    list->Title = title;
    list->Name = name;
    lists.Insert(std::move(list));
  }
  WriteFile(dir_ / "first" / "RXV1.tmp", "1");
  WriteFile(dir_ / "second" / "RXV2.tmp", "2");
  WriteFile(dir_ / "second" / "RXV3.tmp", "3");
  WriteFile(dir_ / "out" / "RXV4.tmp", "outside");

  const std::vector<QueuedMail> mails = CollectQueue(Box(), lists);
  ASSERT_EQ(mails.size(), 3u);
  EXPECT_EQ(mails[0].path.parent_path().filename(), "first");  // list "a"
  EXPECT_EQ(mails[1].path.parent_path().filename(), "second");
  EXPECT_EQ(mails[2].path.parent_path().filename(), "second");
  EXPECT_FALSE(mails[0].delivered);
}

TEST(MailIdentity, TokensAreFreshAndFoundAgainInTheServersSubjects) {
  // 10,000 draws of 32 random bits repeat one with a chance of about 1 in 86.
  std::set<std::string> tokens;
  for (int i = 0; i < 10000; ++i)
    tokens.insert(NewMailToken());
  EXPECT_GE(tokens.size(), 9999u);
  const std::string token = *tokens.begin();
  EXPECT_TRUE(std::regex_match(token, std::regex("[0-9a-f]{8}"))) << token;

  const std::string lines = FormatIdentityLines("Who", "Admin <a@Example.JP>", token, 0);
  EXPECT_TRUE(std::regex_match(
      lines, std::regex("Subject: Who \\[" + token + "\\]\r\nMessage-ID: <\\d{14}\\." + token +
                        "@Example\\.JP>\r\n")))
      << lines;
  EXPECT_NE(FormatIdentityLines("Who", "no domain", token, 0).find("@localhost>"),
            std::string::npos);

  EXPECT_EQ(TokenInSubject("Majordomo results: Who [" + token + "]"), token);
  EXPECT_EQ(TokenInSubject("Re: [dev:00012] x [0123abcd] y"), "0123abcd");
  for (const char* none : {"", "]", "[]", "Who [0123ABCD]", "Who [0123abc]", "Who 0123abcd]",
                           "Who [0123abcde]", "[[[[[[[[[]"}) {
    EXPECT_EQ(TokenInSubject(none), std::nullopt) << none;
  }
}

TEST(MailHeader, DateIsEnglishWithTheZoneName) {
  const char* savedTz = std::getenv("TZ");
  const std::string saved = savedTz ? savedTz : "";
  setenv("TZ", "JST-9", 1);
  tzset();
  MailingList list;
  list.Admin = "admin@example.jp";
  list.Address = "fml@example.jp";
  std::string header = "replaced";
  FormatMailHeader(list, header, 952430709);  // 2000-03-07 12:05:09 UTC
  EXPECT_EQ(header,
            "From: admin@example.jp\r\nTo: fml@example.jp\r\n"
            "Date: Tue, 07 Mar 2000 21:05:09 JST\r\n");
  MailingList empty;
  FormatMailHeader(empty, header, 0);
  EXPECT_TRUE(header.starts_with("From: \r\nTo: \r\nDate: Thu, 01 Jan 1970 09:00:00 JST"));
  if (savedTz)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace tarnwick
