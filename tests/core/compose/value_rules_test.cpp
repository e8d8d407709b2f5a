#include "core/compose/value_rules.h"

#include <gtest/gtest.h>

#include "core/compose/fml_line.h"

namespace tarnwick {
namespace {

// fml's own check, case by case as the real server was seen to take or refuse the line.
TEST(FmlLine, RunsWhatFmlRunsAndRefusesWhatSetsOffItsAlert) {
  for (const char* line : {
           "# admin add a@example.jp",
           "# admin add user+tag@example.jp",  // "+ext" addresses are let through
           "# admin get spool/1",              // a slash between word characters
           "# admin matome a@example.jp 3u",
           "# admin add a@example.jp m=3",  // digest options
           "# admin pass te*st?[x]",        // password lines take []?* as well
           "# admin initpass a@example.jp x*y",
           "# admin unlink-article 3-5,7",
           "# set debug",
       }) {
    EXPECT_EQ(CheckFmlLine(line), std::nullopt) << line;
  }
  const struct {
    const char* line;
    const char* character;
  } refused[] = {
      {"# admin add o'brien@example.jp", "'"},
      {"# admin add a!b@example.jp", "!"},
      {"# admin add a$b@example.jp", "$"},
      {"# admin add a&b@example.jp", "&"},
      {"# admin add a=b@example.jp", "="},
      {"# admin add a%b@example.jp", "%"},
      {"# admin add \"a\"@example.jp", "\""},
      {"# admin add Name <n@example.jp>", "<"},
      {"# admin get ../guide", "/"},
      {"# admin get /etc/passwd", "/"},
      {"# admin get a/b/c", "/"},  // only one slash of a run is let through
      {"# admin get guide;ls", ";"},
      {"# admin ls -l *", "*"},  // "*" only in password lines
      {"# admin unlink-article 1;2", ";"},
      {"# admin passwd new!pass", "!"},
      {"# admin add \x83\x41@example.jp", "\x83\x41"},  // a whole Shift_JIS character
      // The character the line holds, not a lead byte paired with what fml's forms left after it.
      {"# admin add @\xe8+x@b.]p", "\xe8"},
      {"# admin add \x83", "\x83"},
  };
  for (const auto& r : refused) {
    const std::optional<FmlLineProblem> problem = CheckFmlLine(r.line);
    ASSERT_TRUE(problem) << r.line;
    EXPECT_EQ(problem->kind, FmlLineProblem::UnsafeCharacter);
    EXPECT_EQ(problem->character, r.character) << r.line;
  }
  const std::string limit = "# admin get " + std::string(kFmlMaxLineBytes - 12, 'a');
  EXPECT_EQ(CheckFmlLine(limit), std::nullopt);
  const std::optional<FmlLineProblem> tooLong = CheckFmlLine(limit + "a");
  ASSERT_TRUE(tooLong);
  EXPECT_EQ(tooLong->kind, FmlLineProblem::TooLong);
  // An administrator's line without its command names no character: there is none to name.
  for (const char* empty : {"# admin ", "# admin \t"}) {
    const std::optional<FmlLineProblem> problem = CheckFmlLine(empty);
    ASSERT_TRUE(problem) << empty;
    EXPECT_EQ(problem->kind, FmlLineProblem::NoCommand) << empty;
  }
}

TEST(ValueRules, MemberAddressesArePlainMailboxes) {
  for (const char* address : {"a@example.jp", "first.last+tag@mail.example.co.jp",
                              "o'brien@example.jp", "a_b-c@ex-ample.jp"}) {
    EXPECT_EQ(CheckMemberAddress(address), std::nullopt) << address;
  }
  const struct {
    std::string address;
    const char* reason;
  } refused[] = {
      {"", "ｱﾄﾞﾚｽが空です"},
      {"a b@example.jp", "空白を含んでいます"},
      {"\x83\x41@example.jp", "半角の英数字と記号以外"},
      {"user", "「@」がありません"},
      {"a@b@example.jp", "「@」が2つ以上あります"},
      {"@example.jp", "「@」の前が空です"},
      {"-oQ/tmp@example.jp", "「-」で始まる"},
      {"Name<n@example.jp>", "「<」はｱﾄﾞﾚｽに使えません"},
      {"a|b@example.jp", "「|」はｱﾄﾞﾚｽに使えません"},
      {"a@localhost", "ﾄﾞﾒｲﾝ名が正しくありません"},
      {"a@example..jp", "ﾄﾞﾒｲﾝ名が正しくありません"},
      {"a@ex_ample.jp", "ﾄﾞﾒｲﾝ名が正しくありません"},
      {std::string(250, 'a') + "@example.jp", "長すぎます"},
  };
  for (const auto& r : refused) {
    const Refusal refusal = CheckMemberAddress(r.address);
    ASSERT_TRUE(refusal) << r.address;
    EXPECT_NE(refusal->find(r.reason), std::string::npos) << *refusal;
  }
}

TEST(ValueRules, PasswordsTheServersWouldCutOrFlagAreRefused) {
  EXPECT_EQ(CheckNewPassword(ServerKind::Fml, "te*st?"), std::nullopt);
  EXPECT_EQ(CheckNewPassword(ServerKind::Majordomo, "adm#1n!"),
            std::nullopt);  // "#" is no comment in passwd
  EXPECT_EQ(CheckNewPassword(ServerKind::Majordomo, "a\\b"), std::nullopt);
  for (ServerKind kind : {ServerKind::Fml, ServerKind::Majordomo}) {
    EXPECT_NE(CheckNewPassword(kind, "")->find("新しいﾊﾟｽﾜｰﾄﾞが空です"), std::string::npos);
    EXPECT_NE(CheckNewPassword(kind, "two words")->find("空白"), std::string::npos);
  }
  EXPECT_NE(
      CheckNewPassword(ServerKind::Fml, "new!pass")->find("「!」はFMLのｺﾏﾝﾄﾞに使えない文字です"),
      std::string::npos);
  EXPECT_TRUE(CheckNewPassword(ServerKind::Majordomo, "ends\\"));

  MailingList list;
  list.Title = "\x8a\x4a\x94\xad";  // 開発
  list.Type = ServerKind::Fml;
  EXPECT_EQ(CheckListPassword(list), std::nullopt);  // no password: mails go without one
  list.Password = "pa$s";
  const Refusal refusal = CheckListPassword(list);
  ASSERT_TRUE(refusal);
  EXPECT_NE(refusal->find("ML「開発」のﾊﾟｽﾜｰﾄﾞの「$」"), std::string::npos) << *refusal;
  list.Type = ServerKind::Majordomo;
  EXPECT_EQ(CheckListPassword(list), std::nullopt);
  list.Password = "two words";
  EXPECT_TRUE(CheckListPassword(list));
}

TEST(ValueRules, MatomeModesAreNumbersWithAFormatFmlKnows) {
  for (const char* mode : {"0", "3", "3u", "12mp", "24rfc1153", "6base64"})
    EXPECT_EQ(CheckMatomeMode(mode), std::nullopt) << mode;
  for (const char* mode : {"", "m=3", "u3", "3x", "3 u", "3#lhaish"})
    EXPECT_TRUE(CheckMatomeMode(mode)) << mode;
}

TEST(ValueRules, CommandLinesAreCheckedAsTheServerReadsThem) {
  EXPECT_EQ(CheckCommandLines(ServerKind::Majordomo, "approve pw who dev\r\nend\r\n"),
            std::nullopt);
  EXPECT_EQ(CheckCommandLines(ServerKind::Majordomo, "passwd dev a\\b c\r\n"), std::nullopt);
  const Refusal continued =
      CheckCommandLines(ServerKind::Majordomo, "passwd dev old new\\\r\nend\r\n");
  ASSERT_TRUE(continued);
  EXPECT_NE(continued->find("「passwd dev ******** ********」"), std::string::npos) << *continued;
  const Refusal unsafe =
      CheckCommandLines(ServerKind::Fml, "# admin pass pw\r\n# admin get ../x\r\n");
  ASSERT_TRUE(unsafe);
  EXPECT_NE(unsafe->find("「# admin get ../x」の「/」"), std::string::npos) << *unsafe;
}

}  // namespace
}  // namespace tarnwick
