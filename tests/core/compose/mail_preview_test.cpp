#include "core/compose/mail_preview.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(MailPreview, EveryPasswordAMailCarriesIsHidden) {
  const std::string mail =
      "To: majordomo@example.jp\r\nX-Command: Set New Password\r\n\r\n"
      "approve s3cret subscribe dev a@example.jp\r\n"
      "passwd dev s3cret n3w\r\n"
      "newconfig  dev\ts3cret\r\n"
      "# admin pass s3cret\r\n"
      "# admin passwd n3w\r\n"
      "# admin initpass a@example.jp n3w\r\n"
      "# approve s3cret add b@example.jp\r\n"
      "admin_passwd = s3cret\n"
      "approve_passwd    =    s3cret\n"
      "end\r\n";
  EXPECT_EQ(MaskPasswords(mail),
            "To: majordomo@example.jp\r\nX-Command: Set New Password\r\n\r\n"
            "approve ******** subscribe dev a@example.jp\r\n"
            "passwd dev ******** ********\r\n"
            "newconfig  dev\t********\r\n"
            "# admin pass ********\r\n"
            "# admin passwd ********\r\n"
            "# admin initpass a@example.jp ********\r\n"
            "# approve ******** add b@example.jp\r\n"
            "admin_passwd = ********\n"
            "approve_passwd    =    ********\n"
            "end\r\n");
}

TEST(MailPreview, LinesWithoutAPasswordStayByteForByte) {
  for (const std::string& mail : {
           std::string("approve\r\n"),   // the word it would hide is missing
           std::string("# admin pass"),  // no line end at all
           std::string("who dev\r\n# admin members\n"),
           std::string("comments = approve s3cret\r\n"),
           std::string("\x82\xA0 passwd\x82\xA0 \xFF\x00 x\r\n", 17),  // Shift_JIS, binary
           std::string(),
       }) {
    EXPECT_EQ(MaskPasswords(mail), mail);
  }
}

TEST(MailPreview, HeaderIsShiftJisAndALabelledBodyIsIso2022Jp) {
  // 開発 in Shift_JIS in the header, and in ISO-2022-JP in the body.
  const std::string mail =
      "Subject: \x8A\x4A\x94\xAD\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
      "\x1B$B3+H/\x1B(B\r\n";
  EXPECT_EQ(MailForDisplay(mail),
            "Subject: 開発\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n開発\r\n");
}

TEST(MailPreview, UnreadableBytesShowAsReplacementsAndTheRestStays) {
  EXPECT_EQ(MailForDisplay("Subject: a\r\n\r\n\x8A\x4A\xFF b"), "Subject: a\r\n\r\n開\uFFFD b");
  // A body labelled ISO-2022-JP that isn't falls back to Shift_JIS rather than vanishing.
  EXPECT_EQ(MailForDisplay("Content-Type: text/plain; charset=iso-2022-jp\n\n\x8A\x4A"),
            "Content-Type: text/plain; charset=iso-2022-jp\n\n開");
  EXPECT_EQ(MailForDisplay("no header end \x8A\x4A"), "no header end 開");
}

}  // namespace
}  // namespace tarnwick
