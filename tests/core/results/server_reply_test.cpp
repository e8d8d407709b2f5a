#include "core/results/server_reply.h"

#include <gtest/gtest.h>

#include "core/results/command_outcome.h"

namespace tarnwick {
namespace {

const std::string kSent =
    "From: admin@example.jp\r\nTo: majordomo@example.jp\r\nDate: x\r\n"
    "Subject: Who [0123abcd]\r\nMessage-ID: <20261207.0123abcd@example.jp>\r\n"
    "X-Command: Who\r\n\r\napprove pw who dev\r\nend\r\n";

std::string Reply(const std::string& from, const std::string& subject, const std::string& body) {
  return "From: " + from + "\nTo: admin@example.jp\nSubject: " + subject + "\n\n" + body;
}

TEST(ServerReplyTest, OnlyTheServerTheMailWentToAnswersIt) {
  const std::optional<SentMail> sent = ReadSentMail(kSent);
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->title, "Who");
  EXPECT_EQ(sent->server, "majordomo@example.jp");
  EXPECT_EQ(sent->commands, (std::vector<std::string>{"approve pw who dev", "end"}));
  const std::string body =
      ">>>> approve pw who dev\nMembers of list 'dev':\n\na@x.jp\n\n1 subscriber\n";
  const auto answers = [&](const std::string& from, const std::string& subject) {
    const std::optional<ServerReply> reply = ReadServerReply(Reply(from, subject, body));
    return reply.has_value() && Answers(*reply, *sent);
  };
  EXPECT_TRUE(answers("Majordomo@Example.JP", "Majordomo results: Who [0123abcd]"));
  EXPECT_TRUE(answers("\"Majordomo\" <majordomo@example.jp>", "Majordomo results: Who [0123abcd]"));
  EXPECT_FALSE(answers("mallory@example.jp", "Majordomo results: Who [0123abcd]")) << "forged";
  EXPECT_FALSE(answers("majordomo@example.jp", "Majordomo results: Who [0123abce]"))
      << "a mail we never sent";
  EXPECT_FALSE(answers("majordomo@example.jp", "Majordomo results: Who"));
  EXPECT_FALSE(answers("majordomo@example.jp", "Re: Who [0123abcd]"));
}

TEST(ServerReplyTest, AReplyThatEchoesNothingFailsTheMail) {
  const std::optional<SentMail> sent = ReadSentMail(kSent);
  const std::optional<ServerReply> reply = ReadServerReply(
      Reply("majordomo@example.jp", "Majordomo results: Who [0123abcd]", "no commands\n"));
  ASSERT_TRUE(sent && reply);
  const CommandOutcome outcome = OutcomeOf(*sent, {&*reply});
  EXPECT_EQ(outcome.state, CommandState::Failed);
  EXPECT_EQ(outcome.failures, (std::vector<std::string>{"応答にｺﾏﾝﾄﾞの結果がありません"}));
}

// Whatever arrives in the administrator's mailbox is read within bounds, and taken for no reply
// unless it is one.
TEST(ServerReplyTest, HostileMailsAreNoReplies) {
  const std::string header =
      "From: majordomo@example.jp\nSubject: Majordomo results: x [0123abcd]\n";
  const std::string cases[] = {
      "",
      std::string("\0\xff\xfe\x01", 4),
      header,                                      // truncated before the body
      header + "\n" + std::string(21 << 20, '>'),  // larger than any reply
      header + "Content-Type: text/plain; charset=shift_jis\n\n>>>> \x82\n\x83",  // broken
      "From: a@b\nReferences: <x@y>\nSubject: members\n\n" + std::string(100000, '-'),
  };
  for (const std::string& mail : cases) {
    const std::optional<ServerReply> reply = ReadServerReply(mail);
    if (reply) {
      EXPECT_LE(reply->commands.size(), 1u);
    }
  }
  EXPECT_FALSE(ReadSentMail("").has_value());
  EXPECT_FALSE(ReadSentMail(std::string(1000, '\0')).has_value());
  EXPECT_FALSE(ReadSentMail("Subject: no token\r\n\r\nwho\r\n").has_value());
  // Sent mails cut anywhere, down to a header ending in a bare CR, read without a throw.
  for (std::size_t size = 0; size <= kSent.size(); ++size) {
    const std::optional<SentMail> cut = ReadSentMail(kSent.substr(0, size));
    if (cut) {
      EXPECT_EQ(cut->token, "0123abcd");
    }
  }
  const std::optional<SentMail> bareCr = ReadSentMail("Subject: Who [0123abcd]\r\n\r");
  ASSERT_TRUE(bareCr.has_value());
  EXPECT_TRUE(bareCr->commands.empty());
}

// fml's members reply: the members between its first two rules of dashes. fml keeps a member it
// removed as "##BYE address", and the reply shows that line too: no member.
TEST(ServerReplyTest, FmlMembersLeaveOutTheRemoved) {
  const std::optional<ServerReply> reply = ReadServerReply(
      "From: staff-admin@example.jp\nReferences: <0123abcd@example.jp>\n"
      "Subject: members (staff ML)\n\n"
      "-----\nadmin@example.jp\n##BYE a1@example.net\na2@example.net\n##BYE a3@example.net\n"
      "-----\nadmin@example.jp\n-----\n");
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->kind, ReplyKind::FmlMembers);
  ASSERT_TRUE(reply->roster.has_value());
  EXPECT_EQ(*reply->roster, (std::vector<std::string>{"admin@example.jp", "a2@example.net"}));
}

}  // namespace
}  // namespace tarnwick
