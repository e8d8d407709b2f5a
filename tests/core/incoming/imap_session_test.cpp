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

}  // namespace
}  // namespace tarnwick
