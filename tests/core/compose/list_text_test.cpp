#include "core/compose/list_text.h"

#include <gtest/gtest.h>

#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

// 開発 and 〜 in ISO-2022-JP, as every Japanese mail program reads them.
constexpr char kJis[] = "\x1B$B3+H/!A\x1B(B";

TEST(ListText, AsciiTravelsAsItIs) {
  const ListText text = ToListText("Welcome to dev\r\n", "info.txt");
  EXPECT_EQ(text.text, "Welcome to dev\r\n");
  EXPECT_FALSE(text.japanese);
  EXPECT_FALSE(text.refusal);
}

TEST(ListText, EveryEncodingBecomesTheSameIso2022Jp) {
  const std::string expected = std::string("a ") + kJis + " b\n";
  for (const std::string& bytes : {
           std::string("a \x8A\x4A\x94\xAD\x81\x60 b\n"),  // Shift_JIS
           std::string("a 開発〜 b\n"),                    // UTF-8, WAVE DASH
           std::string("a 開発～ b\n"),                    // FULLWIDTH TILDE
           std::string("\xEF\xBB\xBF") + "a 開発〜 b\n",   // UTF-8 with its mark
           std::string("a ") + kJis + " b\n",              // ISO-2022-JP
       }) {
    const ListText text = ToListText(bytes, "info.txt");
    EXPECT_FALSE(text.refusal) << *text.refusal;
    EXPECT_EQ(text.text, expected) << bytes;
    EXPECT_TRUE(text.japanese);
  }
}

TEST(ListText, HalfWidthKatakanaBecomesFullWidthAndEachLineEndsInAscii) {
  // ｶﾞｲﾄﾞ ﾊﾟｽ ｳﾞ ﾞ, then a line of 日本 alone
  const ListText text =
      ToListText("\xB6\xDE\xB2\xC4\xDE \xCA\xDF\xBD \xB3\xDE \xDE\r\n\x93\xFA\x96\x7B\r\n", "g");
  ASSERT_FALSE(text.refusal);
  EXPECT_EQ(ToUtf8(text.text, Encoding::Iso2022Jp), "ガイド パス ヴ ゛\r\n日本\r\n");
  EXPECT_NE(text.text.find("\x1B(B\r\n\x1B$B"), std::string::npos);
  EXPECT_TRUE(text.text.ends_with("\x1B(B\r\n"));
}

TEST(ListText, WhatMembersCantReadAsWrittenIsRefusedNamingTheCharacter) {
  const struct {
    std::string bytes;
    const char* reason;
  } refused[] = {
      {"\x87\x40 first", "「①」は機種依存文字"},  // NEC row 13
      {"\xFA\x40 ibm", "は機種依存文字"},         // IBM extension
      {"emoji 😀\n", "「😀」はShift_JISにない文字"},
      {"\x81", "の文字ｺｰﾄﾞが分かりません"},              // a lone lead byte
      {"\xFF\xFE\x41\x00", "の文字ｺｰﾄﾞが分かりません"},  // UTF-16
      {"\x1B$B3+H", "の文字ｺｰﾄﾞが分かりません"},         // a character cut in half
  };
  for (const auto& r : refused) {
    const ListText text = ToListText(r.bytes, "info.txt");
    ASSERT_TRUE(text.refusal) << r.bytes;
    EXPECT_NE(text.refusal->find(r.reason), std::string::npos) << *text.refusal;
    EXPECT_NE(text.refusal->find("ﾌｧｲﾙ「info.txt」"), std::string::npos);
  }
}

}  // namespace
}  // namespace tarnwick
