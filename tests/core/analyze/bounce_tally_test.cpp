#include "core/analyze/bounce_tally.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "core/analyze/mailbox_reader.h"
#include "core/analyze/mime_mail.h"
#include "core/analyze/returned_mail.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

std::string Sample(const std::string& name) {
  return testing::ReadFile(fs::path(TARNWICK_TEST_DATA) / "returned" / name);
}

// A report that the mailbox is full (a temporary failure) on the given day.
std::string FullMailbox(const std::string& address, const std::string& day) {
  return "From: MAILER-DAEMON@mx.example.jp\nDate: " + day +
         " 10:00:00 +0900\nSubject: Undelivered Mail\nContent-Type: multipart/report; "
         "report-type=delivery-status; boundary=B\n\n--B\nContent-Type: text/plain\n\n"
         "Mailbox full\n\n--B\nContent-Type: message/delivery-status\n\nReporting-MTA: dns; mx\n\n"
         "Final-Recipient: rfc822; " +
         address + "\nAction: failed\nStatus: 4.2.2\n\n--B--\n";
}

// An mbox of the mails: each after a "From " line, its own "From " lines quoted.
std::string Mbox(const Texts& mails) {
  std::string mbox;
  for (const std::string& mail : mails) {
    mbox += "From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n";
    std::istringstream lines(mail);
    for (std::string line; std::getline(lines, line);)
      mbox += (line.starts_with("From ") ? ">" : "") + line + "\n";
    mbox += "\n";
  }
  return mbox;
}

// Permanent failures (a user unknown), temporary ones by days, and mails that report none: a
// delay, an auto-reply, a list server's approval request.
const Texts kMails = {
    Sample("formats/postfix_notice.eml"),
    Sample("formats/exim.eml"),
    FullMailbox("full@example.jp", "Mon, 30 Nov 2026"),
    FullMailbox("full@example.jp", "Tue, 01 Dec 2026"),
    FullMailbox("FULL@example.jp", "Tue, 01 Dec 2026"),
    FullMailbox("full@example.jp", "Thu, 03 Dec 2026"),
    FullMailbox("twice@example.jp", "Thu, 03 Dec 2026"),
    FullMailbox("twice@example.jp", "Fri, 04 Dec 2026"),
    Sample("quiet/postfix_delay.eml"),
    Sample("quiet/auto_reply.eml"),
    Sample("majordomo_approval.eml"),
};

std::string Lines(const std::vector<AddressTally>& tallies) {
  std::string lines;
  for (const AddressTally& t : tallies) {
    lines += t.address + (t.permanent ? " permanent " : " temporary ") + std::to_string(t.reports) +
             " " + std::to_string(t.temporaryDays) + " " + t.lastStatus +
             (t.proposed ? " proposed\n" : "\n");
  }
  return lines;
}

const std::string kExpected =
    "full@example.jp temporary 4 3 4.2.2 proposed\n"
    "kenta@example.co.jp permanent 1 0 5.1.1 proposed\n"
    "mio@example.ne.jp permanent 1 0 5.1.1 proposed\n"
    // Exim names each address with its own reason: a full mailbox is a temporary failure.
    "riku@example.ne.jp temporary 1 1 \n"
    "twice@example.jp temporary 2 2 4.2.2\n"
    "yui@mx.example.jp permanent 1 0  proposed\n";

TEST(BounceTally, AnMboxAndAMaildirGiveTheSameAddressesToRemove) {
  testing::TempDir dir;
  testing::WriteFile(dir / "returned.mbox", Mbox(kMails));
  for (std::size_t i = 0; i < kMails.size(); ++i)
    testing::WriteFile(dir / "Maildir" / (i % 2 ? "cur" : "new") / std::to_string(i), kMails[i]);
  for (const fs::path& mailbox : {dir / "returned.mbox", dir / "Maildir"}) {
    BounceTally tally;
    std::size_t mails = 0;
    ASSERT_TRUE(ReadMailbox(mailbox, [&](std::string_view mail) {
      ++mails;
      tally.Add(ReadReturnedReport(mail));
    }));
    EXPECT_EQ(mails, kMails.size()) << mailbox;
    EXPECT_EQ(Lines(tally.Result(3)), kExpected) << mailbox;
    const std::vector<AddressTally> result = tally.Result(3);
    EXPECT_EQ(FormatDay(result[0].first).substr(0, 8), "2026-11-");
    EXPECT_EQ(FormatDay(result[0].last), "2026-12-03");
  }
  BounceTally strict;
  for (const std::string& mail : kMails)
    strict.Add(ReadReturnedReport(mail));
  EXPECT_FALSE(strict.Result(4)[0].proposed) << "three days are fewer than four";
}

// A report without a Date of its own: dated by the mbox "From " line before it, or by the time
// its Maildir file was written; a hostile or missing "From " date leaves it undated ("日付不明"),
// never the first day of 1970.
TEST(BounceTally, AMailWithoutADateIsDatedByItsMailbox) {
  std::string undated = FullMailbox("nodate@example.jp", "Mon, 07 Dec 2026");
  undated.erase(undated.find("Date: "),
                undated.find('\n', undated.find("Date: ")) + 1 - undated.find("Date: "));
  ASSERT_EQ(ReadReturnedReport(undated).date, 0);
  testing::TempDir dir;
  std::tm noon{};
  noon.tm_hour = 12;
  noon.tm_mday = 5;
  noon.tm_mon = 11;
  noon.tm_year = 126;
  const std::time_t fifth = timegm(&noon);
  const std::string from = "From MAILER-DAEMON Sat Dec  5 12:00:00 2026\n";
  testing::WriteFile(dir / "returned.mbox", from + undated + "\n" +
                                                // Hostile "From " lines: no date, a date that does
                                                // not read, a huge one, the epoch itself.
                                                "From \n\n" + undated + "\nFrom x\n" + undated +
                                                "\nFrom a@b Mon Dec 77 99:99:99 20269\n" + undated +
                                                "\nFrom a@b " + std::string(5000, '9') + "\n" +
                                                undated + "\nFrom a@b Thu Jan  1 00:00:00 1970\n" +
                                                undated);
  std::vector<std::time_t> received;
  BounceTally tally;
  ASSERT_TRUE(ReadDatedMailbox(dir / "returned.mbox", [&](std::string_view mail, std::time_t at) {
    received.push_back(at);
    tally.Add(ReadReturnedReport(mail, at));
  }));
  EXPECT_EQ(received, (std::vector<std::time_t>{fifth, 0, 0, 0, 0, 0}));
  const std::vector<AddressTally> result = tally.Result(3);
  ASSERT_EQ(result.size(), 1u);
  EXPECT_EQ(result[0].reports, 6u);
  EXPECT_EQ(result[0].first, fifth) << "the undated reports leave the dates to the dated one";
  EXPECT_EQ(result[0].last, fifth);
  EXPECT_EQ(FormatDay(0), "日付不明");

  EXPECT_EQ(FromLineDate("From a@b Sat Dec  5 12:00:00 2026"), fifth);
  EXPECT_EQ(FromLineDate("From a@b  Sat Dec 5 12:00:00 2026 remote from x"), fifth);
  EXPECT_EQ(FromLineDate("Subject: Sat Dec  5 12:00:00 2026"), std::nullopt);

  testing::WriteFile(dir / "Maildir" / "cur" / "1", undated);
  const auto written =
      fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(fifth));
  fs::last_write_time(dir / "Maildir" / "cur" / "1", written);
  received.clear();
  ReadDatedMailbox(dir / "Maildir",
                   [&](std::string_view, std::time_t at) { received.push_back(at); });
  EXPECT_EQ(received, (std::vector<std::time_t>{fifth}));
}

// The kind and status come from wherever the failure is reported: a report forwarded inside
// another mail, an HTML notice, "Action: error".
TEST(BounceTally, EachFormatGivesItsKindAndStatus) {
  const auto first = [](const std::string& name) {
    const ReturnedReport report = ReadReturnedReport(Sample("formats/" + name));
    return report.failures.empty()
               ? std::string("none")
               : report.failures[0].address + " " +
                     (report.failures[0].permanent ? "permanent " : "temporary ") +
                     report.failures[0].status;
  };
  EXPECT_EQ(first("forwarded_report.eml"), "hiroto@example.com permanent 5.1.1");
  EXPECT_EQ(first("carrier_mailbox_full.eml"), "mahiro@ezweb.example.ne.jp temporary ");
  EXPECT_EQ(first("action_failure.eml"), "sota@example.com permanent 5.1.1");
  EXPECT_EQ(first("html_only.eml"), "yuzuki@exch.example.com permanent ");
}

TEST(BounceTally, MailboxesThatAreNoneOrHostileAreReadWithinBounds) {
  testing::TempDir dir;
  const auto count = [](const fs::path& mailbox) {
    std::size_t mails = 0;
    const bool read = ReadMailbox(mailbox, [&](std::string_view) { ++mails; });
    return read ? static_cast<long>(mails) : -1L;
  };
  EXPECT_EQ(count(dir / "missing"), -1);
  testing::WriteFile(dir / "empty", "");
  EXPECT_EQ(count(dir / "empty"), 0);
  testing::WriteFile(dir / "binary", std::string("\0\xff\x01From \n\x80", 9));
  EXPECT_LE(count(dir / "binary"), 1);
  testing::WriteFile(dir / "truncated", Mbox({Sample("formats/exim.eml")}).substr(0, 300));
  EXPECT_EQ(count(dir / "truncated"), 1);
  testing::WriteFile(dir / "one.eml", Sample("formats/exim.eml"));
  EXPECT_EQ(count(dir / "one.eml"), 1) << "a single saved mail";
  fs::create_directories(dir / "plain folder");
  EXPECT_EQ(count(dir / "plain folder"), -1);
  // A line longer than any mail: its mail is passed over, the next one is read.
  testing::WriteFile(dir / "endless", "From a\n" + std::string(kMaxReturnedMailBytes + 9, 'x') +
                                          "\n\n" + Mbox({Sample("formats/exim.eml")}));
  EXPECT_EQ(count(dir / "endless"), 1);
}

TEST(BounceTally, ReadingTellsItsProgressAndStopsWhenAsked) {
  testing::TempDir dir;
  testing::WriteFile(dir / "returned.mbox", Mbox(kMails));
  testing::WriteFile(dir / "one.eml", kMails[0]);
  std::vector<double> steps;
  std::size_t mails = 0;
  ReadMailbox(
      dir / "returned.mbox", [&](std::string_view) { ++mails; },
      [&](double done) {
        steps.push_back(done);
        return steps.size() < 2;
      });
  EXPECT_EQ(mails, 2u) << "no mail is read after the stop";
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_GT(steps[0], 0.0);
  EXPECT_LE(steps[1], 1.0);
  EXPECT_TRUE(IsMailbox(dir / "returned.mbox"));
  EXPECT_FALSE(IsMailbox(dir / "one.eml"));
  EXPECT_TRUE(IsMailbox(dir / "."));
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // opening it would wait for a writer
  EXPECT_FALSE(IsMailbox(dir / "fifo"));
}

// A mail program appending to the mbox while it is read: read to the size it had when opened.
TEST(BounceTally, AnMboxThatKeepsGrowingIsReadToItsSizeWhenOpened) {
  testing::TempDir dir;
  const std::string mail =
      "From a@b Mon Jan  1 00:00:00 2024\nSubject: x\n\n" + std::string(1000, 'x') + "\n\n";
  std::string mbox;
  for (int i = 0; i < 200; ++i)
    mbox += mail;  // several blocks of reading
  testing::WriteFile(dir / "growing.mbox", mbox);
  std::size_t mails = 0;
  std::ofstream writer(dir / "growing.mbox", std::ios::binary | std::ios::app);
  ReadMailbox(dir / "growing.mbox", [&](std::string_view) {
    if (++mails < 10000) writer << mail << std::flush;
  });
  EXPECT_EQ(mails, 200u);
}

TEST(BounceTally, TheCommandPrintsTheProposalsTabSeparated) {
  testing::TempDir dir;
  testing::WriteFile(dir / "returned.mbox", Mbox(kMails));
  const SettingsStore store(dir / "registry.db");
  const auto run = [&](std::vector<std::string> args, std::string& out) {
    std::istringstream in;
    std::ostringstream output, err;
    const int status = cli::Run(args, store, in, output, err);
    out = output.str();
    return status;
  };
  std::string out;
  ASSERT_EQ(run({"bounces", (dir / "returned.mbox").string()}, out), 0);
  EXPECT_NE(out.find("full@example.jp\ttemporary\t4\t2026-11-30\t2026-12-03\t4.2.2\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("kenta@example.co.jp\tpermanent\t1\t"), std::string::npos) << out;
  EXPECT_EQ(out.find("twice@"), std::string::npos);
  ASSERT_EQ(run({"bounces", "--all", "--min-days", "2", (dir / "returned.mbox").string()}, out), 0);
  EXPECT_NE(out.find("twice@example.jp\ttemporary\t2\t"), std::string::npos) << out;
  EXPECT_EQ(run({"bounces", (dir / "returned.mbox").string(), (dir / "missing").string()}, out), 1);
  EXPECT_NE(out.find("kenta@example.co.jp"), std::string::npos) << "the readable one still counts";
  EXPECT_EQ(run({"bounces", "--min-days", "0", "x"}, out), 2);
}

}  // namespace
}  // namespace tarnwick
