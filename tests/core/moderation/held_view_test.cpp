#include "core/moderation/held_view.h"

#include <gtest/gtest.h>

#include "core/analyze/mime_mail.h"

namespace tarnwick {
namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

TEST(HeldViewTest, OnlyAnFmlType2ItemCountsItsDaysFromTheNoticesArrival) {
  HeldItem item;
  item.form = NoticeForm::FmlCertify;
  item.arrived = 1'800'000'000;
  EXPECT_EQ(DaysBeforeDropped(item, item.arrived), 14);
  EXPECT_EQ(DaysBeforeDropped(item, item.arrived + kDay), 13);
  EXPECT_EQ(DaysBeforeDropped(item, item.arrived + kDay + 1), 13) << "a day begun is a day left";
  EXPECT_EQ(DaysBeforeDropped(item, item.arrived + 14 * kDay), 0);
  EXPECT_EQ(DaysBeforeDropped(item, item.arrived + 40 * kDay), 0);
  EXPECT_EQ(DaysBeforeDropped(item, item.arrived, 3), 3);
  for (NoticeForm other : {NoticeForm::MajordomoBounce, NoticeForm::MajordomoApprove,
                           NoticeForm::FmlForwarded, NoticeForm::FmlNotMember}) {
    item.form = other;
    EXPECT_FALSE(DaysBeforeDropped(item, item.arrived).has_value());
  }
}

TEST(HeldViewTest, OnlyForwardedAndNonMembersPostsAreApprovedAsNewPosts) {
  HeldItem item;
  for (NoticeForm form : {NoticeForm::FmlForwarded, NoticeForm::FmlNotMember}) {
    item.form = form;
    EXPECT_TRUE(ApprovalIsNewPost(item));
  }
  for (NoticeForm form : {NoticeForm::MajordomoBounce, NoticeForm::MajordomoApprove,
                          NoticeForm::FmlCertify, NoticeForm::FmlSubscribe}) {
    item.form = form;
    EXPECT_FALSE(ApprovalIsNewPost(item));
  }
}

std::string Mail(const std::string& type, const std::string& body) {
  return "From: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= <a@x.jp>\r\nTo: l@x.jp\r\n"
         "Subject: s\r\nDate: Tue, 04 Jun 2024 10:00:00 +0900\r\n" +
         type + "\r\n" + body;
}

// 日本語 in each of the encodings a member's mail program sends.
TEST(ReadableMailTest, TheTextReadsInEachJapaneseEncodingDeclaredOrNot) {
  const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea\r\n";
  const std::string jis = "\x1b$BF|K\\8l\x1b(B\r\n";
  const std::string utf8 = "日本語\r\n";
  const std::pair<std::string, std::string> mails[] = {
      {"Content-Type: text/plain; charset=Shift_JIS\r\n", sjis},
      {"Content-Type: text/plain; charset=iso-2022-jp\r\n", jis},
      {"Content-Type: text/plain; charset=utf-8\r\n", utf8},
      {"", sjis},
      {"", jis},
      {"", utf8},
      {"Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n",
       "5pel5pys6Kqe\r\n"},
  };
  for (const auto& [type, body] : mails) {
    const std::optional<ReadableMail> mail = ReadReadableMail(Mail(type, body));
    ASSERT_TRUE(mail.has_value()) << type;
    EXPECT_EQ(mail->text.substr(0, 9), "日本語") << type << body;
    EXPECT_EQ(mail->from, "テスト <a@x.jp>");
    EXPECT_EQ(mail->date, "Tue, 04 Jun 2024 10:00:00 +0900");
    EXPECT_TRUE(mail->attachments.empty());
  }
}

TEST(ReadableMailTest, HtmlStandsInOnlyForAMissingPlainTextAndAttachmentsAreNamed) {
  const std::string parts =
      "--B\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>html</p>\r\n"
      "--B\r\nContent-Type: application/pdf; name=\"=?UTF-8?B?5pel5pys?=.pdf\"\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n";
  const std::string type = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=B\r\n";
  std::optional<ReadableMail> mail = ReadReadableMail(Mail(type, parts + "--B--\r\n"));
  ASSERT_TRUE(mail.has_value());
  EXPECT_EQ(mail->text.substr(0, 4), "html");
  ASSERT_EQ(mail->attachments.size(), 1u);
  EXPECT_EQ(mail->attachments[0].name, "日本.pdf");
  EXPECT_EQ(mail->attachments[0].bytes, 4u);
  mail = ReadReadableMail(
      Mail(type, parts + "--B\r\nContent-Type: text/plain\r\n\r\nplain\r\n--B--\r\n"));
  ASSERT_TRUE(mail.has_value());
  EXPECT_EQ(mail->text.substr(0, 5), "plain");
}

TEST(ReadableMailTest, HostileMailsAreReadAsFarAsTheyGoOrRefused) {
  // Cut off in its header, or invalid Shift_JIS: what there is shows.
  std::optional<ReadableMail> mail =
      ReadReadableMail("From: a@x.jp\r\nSubject: =?ISO-2022-JP?B?GyRC");
  ASSERT_TRUE(mail.has_value());
  EXPECT_EQ(mail->from, "a@x.jp");
  mail = ReadReadableMail(Mail("Content-Type: text/plain; charset=Shift_JIS\r\n", "\x81\r\nok"));
  ASSERT_TRUE(mail.has_value());
  EXPECT_NE(mail->text.find("ok"), std::string::npos);
  // Binary is no mail; it is read without harm, whatever it gives.
  (void)ReadReadableMail(std::string("\0\xff\x01\x80\r\n\r\n\x1b$B", 10));
  EXPECT_FALSE(ReadReadableMail(std::string(kMaxReturnedMailBytes + 1, 'a')).has_value());
  std::string nested = "Content-Type: multipart/mixed; boundary=B\r\n\r\n";
  for (int i = 0; i < 300; ++i)
    nested += "--B\r\nContent-Type: multipart/mixed; boundary=B\r\n\r\n";
  EXPECT_FALSE(ReadReadableMail(nested).has_value()) << "too many boundaries";
}

}  // namespace
}  // namespace tarnwick
