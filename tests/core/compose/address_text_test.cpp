#include "core/compose/address_text.h"

#include <gtest/gtest.h>

#include "core/platform/text_codec.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

AddressText Strict(std::string_view text) {
  return ReadAddressText(text, ServerKind::Majordomo, AddressTextRule::OnePerLine);
}

AddressText Loose(std::string_view text) {
  return ReadAddressText(text, ServerKind::Majordomo, AddressTextRule::Loose);
}

TEST(AddressTextTest, AListTakesEachAddressOnceSkippingBlanksAndComments) {
  const AddressText text = Strict(
      "# staff, as of December\n\na@example.jp\r\n  B@Example.JP  # the boss\nb@example.jp\n"
      "A@EXAMPLE.JP\nc#1@example.jp\n");
  EXPECT_EQ(text.addresses, (Addresses{"a@example.jp", "B@Example.JP", "c#1@example.jp"}));
  EXPECT_EQ(text.duplicates, 2u);
  EXPECT_EQ(text.refusedCount, 0u);
  EXPECT_FALSE(text.refusal);
}

TEST(AddressTextTest, ALineThatIsNoPlainMailboxIsNamedWithItsNumber) {
  const AddressText text =
      Strict("a@example.jp\nTaro <t@example.jp>\n\nno address\nd@例え.jp\n-x@example.jp\n");
  ASSERT_EQ(text.refusedCount, 4u);
  EXPECT_EQ(text.refused[0].line, 2u);
  EXPECT_EQ(text.refused[1].line, 4u);
  EXPECT_EQ(text.refused[2].line, 5u);
  EXPECT_EQ(text.refused[3].line, 6u);
  EXPECT_EQ(DescribeRefused(text.refused[1]),
            "4行目: ｱﾄﾞﾚｽ「no address」は使えません (空白を含んでいます)");
  EXPECT_NE(DescribeRefused(text.refused[2]).find("「d@例え.jp」"), std::string::npos)
      << "a Japanese character is named as typed: " << DescribeRefused(text.refused[2]);
  EXPECT_EQ(text.addresses, Addresses{"a@example.jp"});
}

TEST(AddressTextTest, RefusedLinesAreCountedButKeptOnlyUpToTheBound) {
  std::string junk;
  for (int i = 0; i < 5000; ++i)
    junk += "junk line\n";
  const AddressText text = Strict(junk);
  EXPECT_EQ(text.refusedCount, 5000u);
  EXPECT_EQ(text.refused.size(), kMaxRefusedKept);
}

TEST(AddressTextTest, CsvTakesTheColumnItsHeaderNamesAnAddress) {
  const AddressText mailman = Strict(
      "display_name,email,delivery\n\"Tanaka, Taro\",tanaka@example.jp,regular\n"
      "\"O\"\"Brien\",obrien@example.org,digest\n,,\n");
  EXPECT_EQ(mailman.addresses, (Addresses{"tanaka@example.jp", "obrien@example.org"}));
  EXPECT_EQ(mailman.refusedCount, 0u);

  const AddressText japanese = Strict("\xEF\xBB\xBF氏名,メールアドレス\n田中,t@example.jp\n鈴木\n");
  EXPECT_EQ(japanese.addresses, Addresses{"t@example.jp"});
  ASSERT_EQ(japanese.refusedCount, 1u) << "a row without the column";
  EXPECT_EQ(japanese.refused[0].line, 3u);

  for (const char* header : {"E-Mail Address,name\n", "ﾒｰﾙｱﾄﾞﾚｽ,name\n", "Address\n"}) {
    EXPECT_EQ(Strict(std::string(header) + "x@example.jp,X\n").addresses, Addresses{"x@example.jp"})
        << header;
  }
}

TEST(AddressTextTest, ACsvWithoutAnAddressColumnIsRefusedWhole) {
  const AddressText text = Strict("name,phone\nTaro,03-1234\n");
  ASSERT_TRUE(text.refusal);
  EXPECT_NE(text.refusal->find("ｱﾄﾞﾚｽの列がありません"), std::string::npos);
  EXPECT_TRUE(text.addresses.empty());
  // Without a header, an address in the first field is a line of its own kind: refused.
  EXPECT_EQ(Strict("a@example.jp,Taro\n").refusal.has_value(), true);
}

TEST(AddressTextTest, PastedTextIsSplitAtSeparatorsAndNamesAreDropped) {
  const AddressText text = Loose(
      "a@example.jp, b@example.jp; c@example.jp\td@example.jp\n"
      "\"Tanaka, Taro\" <t@example.jp>, Suzuki <s@example.jp>\n"
      "A@example.jp,, ;\nnot-an-address\n");
  EXPECT_EQ(text.addresses, (Addresses{"a@example.jp", "b@example.jp", "c@example.jp",
                                       "d@example.jp", "t@example.jp", "s@example.jp"}));
  EXPECT_EQ(text.duplicates, 1u);
  ASSERT_EQ(text.refusedCount, 1u);
  EXPECT_EQ(text.refused[0].line, 4u);
}

TEST(AddressTextTest, FmlListsTakeTheirOwnAddressRule) {
  EXPECT_EQ(
      ReadAddressText("a/b@example.org\n", ServerKind::Fml, AddressTextRule::OnePerLine).addresses,
      Addresses{"a/b@example.org"});
  EXPECT_EQ(Strict("a/b@example.org\n").refusedCount, 1u);
}

TEST(AddressTextTest, FilesAreDecodedFromWhatTheyWereSavedIn) {
  const std::string header = "氏名,メールアドレス\n";
  const std::string sjis = Utf8ToCp932(header).text + "x,sjis@example.jp\n";
  EXPECT_EQ(DecodeTextFile(sjis).utf8, header + "x,sjis@example.jp\n");
  const std::string jis = "\x1B$B;aL>\x1B(B,\x1B$B%a!<%k%\"%I%l%9\x1B(B\n";  // 氏名,メールアドレス
  EXPECT_EQ(DecodeTextFile(jis).utf8, header);
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF" + header).utf8, header);
  EXPECT_TRUE(DecodeTextFile("\x82\xA0\xFF\xFF\x80").refusal) << "no encoding holds this";
}

TEST(AddressTextTest, FilesThatAreNoAddressListsAreRefusedByName) {
  testing::TempDir dir;
  testing::WriteFile(dir / "binary", std::string("a@example.jp\n\0\x01\x02", 16));
  testing::WriteFile(dir / "big", std::string(kMaxAddressFileBytes + 1, '\n'));
  testing::WriteFile(dir / "list.txt", "a@example.jp\n");
  const auto read = [&](const char* name) {
    return ReadAddressFile((dir / name).string(), ServerKind::Fml, AddressTextRule::OnePerLine);
  };
  EXPECT_NE(read("binary").refusal.value_or("").find("ﾃｷｽﾄﾌｧｲﾙではありません"), std::string::npos);
  EXPECT_NE(read("big").refusal.value_or("").find("大きすぎます (21.0 MB)"), std::string::npos)
      << read("big").refusal.value_or("");
  EXPECT_NE(read("missing").refusal.value_or("").find("読めません"), std::string::npos);
  EXPECT_EQ(read("list.txt").addresses, Addresses{"a@example.jp"});
}

}  // namespace
}  // namespace tarnwick
