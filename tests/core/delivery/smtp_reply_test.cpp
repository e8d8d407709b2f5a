#include "core/delivery/smtp_reply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "support/scripted_server.h"

namespace tarnwick {
namespace {

using std::chrono::seconds;

TEST(ReplyReader, AMultiLineReplyInPiecesIsReadWhole) {
  testing::ScriptedServer server;
  server.Says("220-mx.example.jp ESMTP\r\n22").Says("0-second line\r").Says("\n220 ready\r\n250 ");
  server.Says("next\r\n");
  ReplyReader replies(server);
  const Reply greeting = replies.Read(seconds(1));
  EXPECT_EQ(greeting.io, Io::Ok);
  EXPECT_EQ(greeting.code, 220);
  const Reply next = replies.Read(seconds(1));  // bytes after a reply wait for the next read
  EXPECT_EQ(next.io, Io::Ok);
  EXPECT_EQ(next.code, 250);
}

TEST(ReplyReader, AnythingButAReplyLineIsAProtocolError) {
  for (const char* garbage : {"hello there\r\n", "25\r\n", "-250 x\n", "250x\r\n",
                              "250-ok\r\nnonsense\r\n", "2500 ok\r\n"}) {
    testing::ScriptedServer server;
    server.Says(garbage);
    EXPECT_EQ(ReplyReader(server).Read(seconds(1)).io, Io::Failed) << garbage;
  }
  testing::ScriptedServer bare;
  bare.Says("250\r\n");
  const Reply reply = ReplyReader(bare).Read(seconds(1));
  EXPECT_EQ(reply.io, Io::Ok) << "a code alone is a whole reply line";
  EXPECT_EQ(reply.code, 250);
}

TEST(ReplyReader, HangUpsStallsAndFloodsEndCleanly) {
  testing::ScriptedServer closing;
  closing.Says("250-partial\r\n250 no line end");
  EXPECT_EQ(ReplyReader(closing).Read(seconds(1)).io, Io::Closed);

  testing::ScriptedServer stalled;
  stalled.Says("220-");
  stalled.StallWhenDone();
  EXPECT_EQ(ReplyReader(stalled).Read(seconds(1)).io, Io::TimedOut);

  testing::ScriptedServer flooding;
  for (int i = 0; i < 200; ++i)
    flooding.Says(std::string(1024, 'x'));
  EXPECT_EQ(ReplyReader(flooding).Read(seconds(1)).io, Io::Failed);

  testing::ScriptedServer endless;  // continuation lines without end
  for (int i = 0; i < 10000; ++i)
    endless.Says("250-more\r\n");
  EXPECT_EQ(ReplyReader(endless).Read(seconds(1)).io, Io::Failed);
}

// A server that sends one byte now and then, never ending its line.
struct DrippingServer : ByteStream {
  Io Write(std::string_view, std::chrono::milliseconds) override { return Io::Ok; }
  Io Read(std::string& out, std::size_t, std::chrono::milliseconds timeout) override {
    const auto pause = std::chrono::milliseconds(10);
    std::this_thread::sleep_for(std::min(pause, timeout));
    if (timeout < pause) return Io::TimedOut;
    out += '2';
    return Io::Ok;
  }
};

TEST(ReplyReader, ADrippingServerCantKeepAReplyOpenPastItsTimeout) {
  DrippingServer server;
  ReplyReader reader(server);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(reader.Read(std::chrono::milliseconds(200)).io, Io::TimedOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
      << "the reply's whole time is bounded, not each byte's";
}

TEST(ReplyReader, ALongLastLineWithinTheBoundIsFine) {
  testing::ScriptedServer server;
  server.Says("250 " + std::string(5000, 'y') + "\r\n");
  EXPECT_EQ(ReplyReader(server).Read(seconds(1)).code, 250);
}

}  // namespace
}  // namespace tarnwick
