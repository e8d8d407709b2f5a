#include "core/incoming/imap_session.h"

#include <gtest/gtest.h>

#include "support/scripted_server.h"

namespace tarnwick {
namespace {

using testing::ScriptedServer;

constexpr std::chrono::milliseconds kWait(50);

TEST(ImapSessionTest, ReadsOnlyWithPeekAndTakesEachLiteralWhole) {
  ScriptedServer server;
  server.Says("* OK ready\r\n").Says("+ \r\n").Says("t1 OK logged in\r\n");
  server.Says("* 3 EXISTS\r\n* OK [UIDVALIDITY 77] ok\r\nt2 OK [READ-ONLY] done\r\n");
  server.Says("* SEARCH 9 12 9\r\nt3 OK\r\n");
  // A literal split over reads, holding a line that looks like a tagged answer.
  server.Says("* 1 FETCH (UID 12 BODY[] {23}\r\nt4 OK fake\r\n")
      .Says("body\r\nend\r\n)\r\n* 2 FETCH (FLAGS (\\Seen))\r\nt4 OK\r\n");
  ImapSession session(server, kWait);
  EXPECT_EQ(session.Greeting(), "");
  EXPECT_EQ(session.Login("admin", "pa\"ss"), "");
  std::uint32_t validity = 0;
  EXPECT_EQ(session.Examine("INBOX", validity), "");
  EXPECT_EQ(validity, 77u);
  std::vector<std::uint32_t> uids;
  EXPECT_EQ(session.NewerThan(10, uids), "");
  EXPECT_EQ(uids, std::vector<std::uint32_t>{12}) << "9 is below the range asked for";
  std::map<std::uint32_t, std::string> mails;
  EXPECT_EQ(session.Fetch(uids, "BODY.PEEK[]", mails), "");
  EXPECT_EQ(mails, (std::map<std::uint32_t, std::string>{{12, "t4 OK fake\r\nbody\r\nend\r\n"}}));
  EXPECT_EQ(server.written(),
            "t1 AUTHENTICATE PLAIN\r\nAGFkbWluAHBhInNz\r\nt2 EXAMINE \"INBOX\"\r\n"
            "t3 UID SEARCH UID 11:*\r\nt4 UID FETCH 12 (UID BODY.PEEK[])\r\n");
}

TEST(ImapSessionTest, HostileServersEndTheSessionWithinItsBounds) {
  {
    ScriptedServer server;  // a literal larger than any reply: not read into memory
    server.Says("* 1 FETCH (UID 1 BODY[] {999999999999}\r\n");
    ImapSession session(server, kWait);
    std::map<std::uint32_t, std::string> mails;
    EXPECT_NE(session.Fetch({1}, "BODY.PEEK[]", mails), "");
    EXPECT_TRUE(mails.empty());
  }
  {
    ScriptedServer server;  // the sizes come with the items, whatever their order
    server.Says("* 1 FETCH (UID 5 RFC822.SIZE 99999999 BODY[HEADER.FIELDS (FROM)] {9}\r\n")
        .Says("From: a\r\n)\r\n* 2 FETCH (RFC822.SIZE 12 UID 6 BODY[HEADER.FIELDS (FROM)] NIL)\r\n")
        .Says("t1 OK\r\n");
    ImapSession session(server, kWait);
    std::map<std::uint32_t, std::string> headers;
    std::map<std::uint32_t, std::uint64_t> sizes;
    EXPECT_EQ(session.Fetch({5, 6}, "BODY.PEEK[HEADER.FIELDS (FROM)]", headers, &sizes), "");
    EXPECT_EQ(sizes, (std::map<std::uint32_t, std::uint64_t>{{5, 99999999}, {6, 12}}));
    EXPECT_EQ(headers, (std::map<std::uint32_t, std::string>{{5, "From: a\r\n"}}));
    EXPECT_NE(server.written().find("(UID RFC822.SIZE BODY.PEEK"), std::string::npos);
  }
  {
    ScriptedServer server;  // endless text without a line end
    server.Says(std::string(9u << 20, 'x'));
    ImapSession session(server, kWait);
    EXPECT_NE(session.Greeting(), "");
  }
  {
    ScriptedServer server;  // truncated, binary, and a tagged NO
    server.Says(std::string("* OK\r\n") + std::string("\0\xff", 2) + "\r\nt1 NO [AUTH] nope\r\n");
    ImapSession session(server, kWait);
    EXPECT_EQ(session.Greeting(), "");
    EXPECT_EQ(session.Login("a", "b"), "受信ｻｰﾊﾞｰへのﾛｸﾞｲﾝに失敗しました");
    std::uint32_t validity = 0;
    EXPECT_NE(session.Examine("INBOX", validity), "") << "the connection is closed";
    EXPECT_NE(session.Examine("受信箱", validity), "");
  }
}

// A stream that notes the longest wait it was given.
class TimedServer : public ScriptedServer {
 public:
  Io Read(std::string& out, std::size_t max, std::chrono::milliseconds timeout) override {
    longest = std::max(longest, timeout);
    return ScriptedServer::Read(out, max, timeout);
  }
  std::chrono::milliseconds longest{0};
};

TEST(ImapSessionTest, FloodsOverflowsAndUnaskedMailsAreNeverKept) {
  {
    ScriptedServer server;  // untagged lines without end: given up at a bound, not stored
    std::string flood;
    for (int i = 0; i < 800000; ++i)
      flood += "* 1 EXISTS\r\n";
    server.Says(flood);
    ImapSession session(server, kWait);
    std::uint32_t validity = 0;
    EXPECT_EQ(session.Examine("INBOX", validity),
              "受信ｻｰﾊﾞｰの応答が多すぎるため、受信を打ち切りました");
    session.Logout();
    EXPECT_EQ(server.written(), "t1 EXAMINE \"INBOX\"\r\n") << "no more is said to it";
  }
  {
    ScriptedServer server;  // a literal size past any number: the connection is given up
    server.Says("* 1 FETCH (UID 1 BODY[] {99999999999999999999999}\r\nabc\r\n)\r\nt1 OK\r\n");
    ImapSession session(server, kWait);
    std::map<std::uint32_t, std::string> mails;
    EXPECT_NE(session.Fetch({1}, "BODY.PEEK[]", mails), "");
    EXPECT_TRUE(mails.empty());
  }
  {
    ScriptedServer server;  // a mail of another UID than asked is no reply of ours
    server.Says("* 1 FETCH (UID 6 RFC822.SIZE 3 BODY[] {3}\r\nbad)\r\n")
        .Says("* 2 FETCH (UID 5 RFC822.SIZE 4 BODY[] {4}\r\ngood)\r\nt1 OK\r\n");
    ImapSession session(server, kWait);
    std::map<std::uint32_t, std::string> mails;
    std::map<std::uint32_t, std::uint64_t> sizes;
    EXPECT_EQ(session.Fetch({5}, "BODY.PEEK[]", mails, &sizes), "");
    EXPECT_EQ(mails, (std::map<std::uint32_t, std::string>{{5, "good"}}));
    EXPECT_EQ(sizes, (std::map<std::uint32_t, std::uint64_t>{{5, 4}}));
  }
}

TEST(ImapSessionTest, NoWaitOutlastsTheSessionsDeadline) {
  {
    TimedServer server;
    server.Says("* OK ready\r\n");
    ImapSession session(server, std::chrono::minutes(1));
    session.SetDeadline(ImapSession::Clock::now() + std::chrono::seconds(2));
    EXPECT_EQ(session.Greeting(), "");
    EXPECT_LE(server.longest, std::chrono::seconds(2)) << "a read waits no longer than is left";
  }
  {
    ScriptedServer server;
    server.Says("* OK ready\r\n");
    ImapSession session(server, std::chrono::minutes(1));
    session.SetDeadline(ImapSession::Clock::now() - std::chrono::seconds(1));
    EXPECT_EQ(session.Greeting(), "受信ｻｰﾊﾞｰの応答が遅すぎるため、受信を打ち切りました");
    std::uint32_t validity = 0;
    EXPECT_NE(session.Examine("INBOX", validity), "");
    EXPECT_EQ(server.written(), "") << "nothing is sent past the deadline";
  }
  {
    TimedServer server;  // the goodbye waits only a little, whatever the timeout
    server.Says("* BYE\r\nt1 OK\r\n");
    ImapSession session(server, std::chrono::minutes(1));
    session.Logout();
    EXPECT_LE(server.longest, std::chrono::seconds(5));
  }
}

}  // namespace
}  // namespace tarnwick
