#include "core/platform/text_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/fs_path.h"

namespace tarnwick {
namespace {

std::string TestName(std::string what) {
  for (char& c : what)
    c = IsAsciiAlnum(c) ? c : '_';
  return what;
}

struct RoundTrip {
  const char* what;
  std::string cp932;
  std::string utf8;
};

class Cp932RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Cp932RoundTrip, ConvertsBothWaysByteForByte) {
  const RoundTrip& row = GetParam();
  EXPECT_EQ(Cp932ToUtf8(row.cp932), row.utf8);
  const Cp932Encoding back = Utf8ToCp932(row.utf8);
  ASSERT_TRUE(back.ok);
  EXPECT_EQ(back.text, row.cp932);
  EXPECT_TRUE(IsValidCp932(row.cp932));
}

INSTANTIATE_TEST_SUITE_P(
    Text, Cp932RoundTrip,
    ::testing::Values(RoundTrip{"ascii", "From: admin@example.jp\r\n",
                                "From: admin@example.jp\r\n"},
                      // 0x5C as the trail byte of a double-byte character is not a backslash.
                      RoundTrip{"trail 0x5C", "\x83\x5C\x95\x5C", "ソ表"},
                      RoundTrip{"trail that is a letter", "\x83\x41\x83\x61", "アヂ"},
                      RoundTrip{"backslash stays", "C:\\MailBox", "C:\\MailBox"},
                      RoundTrip{"half-width katakana", "\xD2\xB0\xD9", "ﾒｰﾙ"},
                      RoundTrip{"NEC special", "\x87\x40", "①"}, RoundTrip{"empty", "", ""}),
    [](const auto& info) { return TestName(info.param.what); });

TEST(Cp932Encoding, WaveDashAndFullwidthTildeBothBecome8160) {
  EXPECT_EQ(Utf8ToCp932("\u301C").text, "\x81\x60");
  EXPECT_EQ(Utf8ToCp932("\uFF5E").text, "\x81\x60");
}

TEST(Cp932Encoding, RefusesWhatCp932CantHoldAndNamesIt) {
  const Cp932Encoding emoji = Utf8ToCp932("list 😀 title");
  EXPECT_FALSE(emoji.ok);
  EXPECT_EQ(emoji.offending, "😀");
  EXPECT_TRUE(emoji.text.empty()) << "no half-converted text, and no '?' in place of it";

  const Cp932Encoding hangul = Utf8ToCp932("한");
  EXPECT_FALSE(hangul.ok);
  EXPECT_EQ(hangul.offending, "한");
}

// A character iconv would swap for a near one would not be what was typed: a password
// "pa¥ss" must never go out as "pa\\ss".
TEST(Cp932Encoding, RefusesCharactersThatWouldComeBackAsOthers) {
  for (const char* character : {"\u00A5", "\u203E", "\u2014", "\u2212", "\u2016", "\u00A2",
                                "\u00A3", "\u00AC", "\U000E0041"}) {
    const Cp932Encoding encoded = Utf8ToCp932(std::string("pa") + character + "ss \u301C");
    EXPECT_FALSE(encoded.ok) << character;
    EXPECT_EQ(encoded.offending, character);
    EXPECT_TRUE(encoded.text.empty());
  }
  EXPECT_TRUE(Utf8ToCp932("\uFFE5\uFF0D\u2225\uFFE0\uFFE1\uFFE2\u2015").ok)
      << "their Windows counterparts are fine";
}

TEST(Cp932Encoding, RefusesBytesThatAreNotUtf8WithoutNamingACharacter) {
  for (const std::string bad : {"\xFF", "abc\xE3\x81", "\xC0\xAF", "\x80x"}) {
    const Cp932Encoding result = Utf8ToCp932(bad);
    EXPECT_FALSE(result.ok) << bad;
    EXPECT_TRUE(result.offending.empty()) << bad;
  }
}

struct Malformed {
  const char* what;
  std::string cp932;
  std::string utf8;
};

class Cp932Malformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(Cp932Malformed, ShowsEachBadByteAsReplacementAndKeepsTheRest) {
  EXPECT_EQ(Cp932ToUtf8(GetParam().cp932), GetParam().utf8);
  EXPECT_FALSE(IsValidCp932(GetParam().cp932));
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Cp932Malformed,
    ::testing::Values(Malformed{"lone lead byte at the end", "ab\x83", "ab\uFFFD"},
                      Malformed{"lead byte before a space", "\x83 x", "\uFFFD x"},
                      Malformed{"lead byte before a newline", "\x95\r\n", "\uFFFD\r\n"},
                      Malformed{"unassigned single byte",
                                "a\xFD"
                                "b",
                                "a\uFFFD"
                                "b"}),
    [](const auto& info) { return TestName(info.param.what); });

TEST(Cp932Decoding, ConvertsLongTextWhole) {
  // Longer than any internal buffer, with double-byte characters across every boundary.
  std::string cp932;
  std::string utf8;
  for (int i = 0; i < 200000; ++i) {
    cp932 += (i % 3 == 0) ? "\x83\x5C" : "a";
    utf8 += (i % 3 == 0) ? "ソ" : "a";
  }
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
  EXPECT_EQ(Utf8ToCp932(utf8).text, cp932);
}

TEST(Cp932Decoding, AsciiTakesNoConverterAndReadsAsTheConverterReadsIt) {
  // Every byte below 0x80, the backslash and tilde too (which some CP932 tables map to the yen
  // sign and overline), the zero byte among them.
  std::string ascii;
  for (int c = 0; c < 0x80; ++c)
    ascii += static_cast<char>(c);
  EXPECT_EQ(Cp932ToUtf8(ascii), ToUtf8(ascii, Encoding::Cp932));
  EXPECT_EQ(Cp932ToUtf8(ascii), ascii);
  const Cp932Encoding back = Utf8ToCp932(ascii);
  EXPECT_TRUE(back.ok);
  EXPECT_EQ(back.text, ascii);
  EXPECT_TRUE(IsValidCp932(ascii));
  // One byte past ASCII still goes through the converter.
  EXPECT_EQ(Cp932ToUtf8(ascii + "\x83\x5C"), ascii + "ソ");
  EXPECT_FALSE(IsValidCp932(ascii + "\x83"));
}

TEST(Cp932Decoding, BinaryDataNeverFails) {
  std::string binary;
  for (int i = 0; i < 4096; ++i)
    binary += static_cast<char>((i * 7919) & 0xFF);
  const std::string shown = Cp932ToUtf8(binary);
  EXPECT_FALSE(shown.empty());
}

TEST(TextDecoding, ReadsEachEncodingAndRefusesWhatIsNotTextInIt) {
  EXPECT_EQ(ToUtf8("\x8A\x4A\x94\xAD", Encoding::Cp932), "開発");
  EXPECT_EQ(ToUtf8("開発", Encoding::Utf8), "開発");
  EXPECT_EQ(ToUtf8("a\x1B$B3+H/\x1B(B", Encoding::Iso2022Jp), "a開発");
  EXPECT_EQ(ToUtf8(std::string("A\0\x8B\x95", 4), Encoding::Utf16Le), "A開");
  EXPECT_FALSE(ToUtf8("\x83", Encoding::Cp932));
  EXPECT_FALSE(ToUtf8("\xE3\x81", Encoding::Utf8));
  EXPECT_FALSE(ToUtf8("\x1B$B3+H", Encoding::Iso2022Jp)) << "a character cut in half";
  EXPECT_FALSE(ToUtf8("A", Encoding::Utf16Le)) << "an odd byte";
}

TEST(Iso2022JpEncoding, EscapesEachRunOfJisX0208AndReadsBackAsTheSameText) {
  const std::string cp932 = "a \x8A\x4A\x94\xAD b\r\n\x93\xFA\x96\x7B\r\n";
  const Iso2022JpEncoding jis = Cp932ToIso2022Jp(cp932);
  ASSERT_TRUE(jis.ok) << jis.unsendable;
  EXPECT_EQ(jis.text, "a \x1B$B3+H/\x1B(B b\r\n\x1B$BF|K\\\x1B(B\r\n");
  EXPECT_EQ(ToUtf8(jis.text, Encoding::Iso2022Jp), Cp932ToUtf8(cp932));
  EXPECT_EQ(Cp932ToIso2022Jp("plain ascii\n").text, "plain ascii\n");
  EXPECT_TRUE(Cp932ToIso2022Jp("").ok);
}

TEST(Iso2022JpEncoding, NamesTheFirstCharacterOutsideJisX0208) {
  const struct {
    std::string cp932;
    std::string unsendable;
  } refused[] = {
      {"ok \x87\x40 \xFA\x40", "\x87\x40"},  // NEC row 13 before an IBM extension
      {"\xFA\x40", "\xFA\x40"},
      {"\xF0\x40", "\xF0\x40"},  // user-defined area
      {"\xB1\xB2", "\xB1"},      // a half-width katakana
      {"\x8A\x4A\x94", "\x94"},  // a lone lead byte at the end
      {"\x94\x20", "\x94"},      // a lead byte without its trail
  };
  for (const auto& r : refused) {
    const Iso2022JpEncoding jis = Cp932ToIso2022Jp(r.cp932);
    EXPECT_FALSE(jis.ok) << r.cp932;
    EXPECT_EQ(jis.unsendable, r.unsendable) << r.cp932;
    EXPECT_TRUE(jis.text.empty()) << r.cp932;
  }
}

TEST(Cp932Case, FoldsOnlySingleByteLetters) {
  // "ア" is 0x83 0x41: its trail byte looks like "A" but must not fold.
  EXPECT_EQ(FoldCp932Case("ML\x83\x41"
                          "Ab"),
            "ml\x83\x41"
            "ab");
  EXPECT_FALSE(EqualsCp932IgnoreCase("\x83\x41", "\x83\x61"));
  EXPECT_TRUE(EqualsCp932IgnoreCase("MailBox", "MAILBOX"));
  EXPECT_FALSE(EqualsCp932IgnoreCase("Mail", "MailBox"));
  // A lone lead byte at the end is kept, not read past.
  EXPECT_EQ(FoldCp932Case("A\x83"), "a\x83");
}

TEST(Cp932Case, ComparesAsTheFoldedTextsCompare) {
  // Every pair of short texts over bytes that fold, lead bytes (whose trail never folds), bytes
  // above 0x80 and prefixes of one another: the order is the folded texts' order.
  const std::vector<std::string> texts = {"",
                                          "a",
                                          "A",
                                          "B",
                                          "ab",
                                          "aB",
                                          "Ab",
                                          "\x83\x41",
                                          "\x83\x61",
                                          "\x83",
                                          "A\x83",
                                          "\xB1",
                                          "\xB1"
                                          "A",
                                          "\x81\x40Z",
                                          "\x81\x40z",
                                          "Z",
                                          "[",
                                          "_",
                                          "\xFC\xFC"};
  const auto sign = [](int n) { return (n > 0) - (n < 0); };
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      EXPECT_EQ(sign(CompareCp932IgnoreCase(a, b)),
                sign(FoldCp932Case(a).compare(FoldCp932Case(b))))
          << ::testing::PrintToString(a) << " " << ::testing::PrintToString(b);
    }
  }
}

TEST(FsPath, ConvertsCp932PathsAndRefusesInvalidOnes) {
  EXPECT_EQ(ToFsPath("/tmp/\xD2\xB0\xD9/\x83\x5C")->native(), "/tmp/ﾒｰﾙ/ソ");
  EXPECT_FALSE(ToFsPath("/tmp/\x83").has_value());
  EXPECT_FALSE(ToFsPath(std::string("/tmp/a\0b", 8)).has_value());
  EXPECT_EQ(*FromFsPath("/tmp/ソ"), "/tmp/\x83\x5C");
  EXPECT_FALSE(FromFsPath("/tmp/😀").has_value());
}

}  // namespace
}  // namespace tarnwick
