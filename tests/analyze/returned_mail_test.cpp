#include "analyze/returned_mail.h"

#include <gtest/gtest.h>

#include "analyze/address_extraction.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

// A delivery-status report as Postfix and most mail systems send it: one recipient failed, one
// only delayed, and the returned message attached.
constexpr char kStatusReport[] =
    "From: MAILER-DAEMON@mx.example.jp (Mail Delivery System)\r\n"
    "To: dev-admin@lists.example.jp\r\n"
    "Subject: Undelivered Mail Returned to Sender\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/report; report-type=delivery-status;\r\n"
    "\tboundary=\"B1\"\r\n"
    "\r\n"
    "--B1\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n"
    "\r\n"
    "I'm sorry to have to inform you that your message could not be delivered.\r\n"
    "\r\n"
    "--B1\r\n"
    "Content-Type: message/delivery-status\r\n"
    "\r\n"
    "Reporting-MTA: dns; mx.example.jp\r\n"
    "\r\n"
    "Final-Recipient: rfc822; goro@example.co.jp\r\n"
    "Original-Recipient: rfc822;goro@example.co.jp\r\n"
    "Action: failed\r\n"
    "Status: 5.1.1\r\n"
    "\r\n"
    "Final-Recipient: rfc822; slow@example.net\r\n"
    "Action: delayed\r\n"
    "Status: 4.4.1\r\n"
    "\r\n"
    "--B1\r\n"
    "Content-Type: message/rfc822\r\n"
    "\r\n"
    "From: dev@lists.example.jp\r\n"
    "To: Final-Recipient: rfc822; not-this@example.jp\r\n"
    "\r\n"
    "X-Failed-Recipients: nor-this@example.jp\r\n"
    "--B1--\r\n";

TEST(ReturnedMail, DeliveryStatusReportsGiveTheFailedRecipients) {
  EXPECT_EQ(RecogniseFailedRecipients(kStatusReport), Addresses{"goro@example.co.jp"});
}

TEST(ReturnedMail, AStatusReportInBase64IsDecoded) {
  // "Final-Recipient: rfc822; b64@example.jp\r\nAction: failed\r\n" in base64.
  const std::string mail =
      "Content-Type: multipart/report; report-type=delivery-status; boundary=x\r\n\r\n"
      "--x\r\nContent-Type: message/delivery-status\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "UmVwb3J0aW5nLU1UQTogZG5zOyBteAoKRmluYWwtUmVjaXBpZW50OiByZmM4MjI7IGI2NEBleGFt\r\n"
      "cGxlLmpwCkFjdGlvbjogZmFpbGVkCg==\r\n--x--\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(mail), Addresses{"b64@example.jp"});
}

TEST(ReturnedMail, TheXFailedRecipientsHeaderCounts) {
  const std::string mail =
      "From: Mail Delivery System <Mailer-Daemon@mx.example.org>\r\n"
      "X-Failed-Recipients: rokuro@example.org, Shichiro@Example.org\r\n"
      "Subject: Mail delivery failed: returning message to sender\r\n\r\n"
      "This message was created automatically by mail delivery software.\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(mail),
            (Addresses{"rokuro@example.org", "Shichiro@Example.org"}));
}

TEST(ReturnedMail, QmailNoticesNameTheRecipientsBeforeTheCopy) {
  const std::string mail =
      "From: MAILER-DAEMON@mail.example.com\r\nSubject: failure notice\r\n\r\n"
      "Hi. This is the qmail-send program at mail.example.com.\r\n"
      "I'm afraid I wasn't able to deliver your message to the following addresses.\r\n\r\n"
      "<hachiro@example.com>:\r\nSorry, no mailbox here by that name. (#5.1.1)\r\n\r\n"
      "--- Below this line is a copy of the message.\r\n\r\n"
      "<copied@example.com>:\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(mail), Addresses{"hachiro@example.com"});
}

TEST(ReturnedMail, PlainNoticesGiveTheAddressesOfTheirFailureLines) {
  const std::string mail =
      "From: MAILER-DAEMON <>\r\nTo: dev-admin@lists.example.jp\r\n"
      "Subject: Mail delivery failed\r\n\r\n"
      "This is the mail agent at mx.example.jp.\r\n"
      "There was an error delivering your mail to <kuro@example.ne.jp>.\r\n"
      "Please contact postmaster@mx.example.jp with questions.\r\n\r\n"
      "Message headers follow.\r\n"
      "To: <kuro@example.ne.jp>, failed-too@example.jp\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(mail), Addresses{"kuro@example.ne.jp"});
  const std::string listed =
      "From: postmaster@mail.example.com\r\nSubject: Undeliverable\r\n\r\n"
      "Delivery to the following recipients failed.\r\n\r\n"
      "       shiro@example.com\r\n       kiiro@example.com\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(listed),
            (Addresses{"shiro@example.com", "kiiro@example.com"}));
}

TEST(ReturnedMail, MailsThatAreNoFailureGiveNothing) {
  const std::string complaint =
      "Content-Type: multipart/report; report-type=feedback-report; boundary=f\r\n\r\n"
      "--f\r\nContent-Type: message/feedback-report\r\n\r\nFeedback-Type: abuse\r\n"
      "--f\r\nContent-Type: message/delivery-status\r\n\r\n"
      "Final-Recipient: rfc822; x@example.jp\r\nAction: failed\r\n--f--\r\n";
  const std::string warning =
      std::string(kStatusReport)
          .replace(std::string(kStatusReport).find("Action: failed"), 14, "Action: delayed");
  const std::string autoReply =
      "From: kuro@example.jp\r\nSubject: Out of office\r\n\r\nI am out of the office until "
      "Monday. Mail that failed to reach me: ask assistant@example.jp.\r\n";
  const std::string delayed =
      "From: MAILER-DAEMON@mx.example.jp\r\nSubject: Delayed Mail\r\n\r\n"
      "Your message to <aoi@example.jp> could not be delivered yet; the server will retry.\r\n";
  EXPECT_TRUE(RecogniseFailedRecipients(delayed).empty());
  EXPECT_TRUE(RecogniseFailedRecipients(complaint).empty());
  EXPECT_TRUE(RecogniseFailedRecipients(warning).empty());
  EXPECT_TRUE(RecogniseFailedRecipients(autoReply).empty());
}

TEST(ReturnedMail, HostileMailsEndCleanly) {
  std::string nested = "Content-Type: multipart/mixed; boundary=b0\r\n\r\n";
  for (int i = 0; i < 5000; ++i) {
    nested += "--b" + std::to_string(i) + "\r\nContent-Type: multipart/mixed; boundary=b" +
              std::to_string(i + 1) + "\r\n\r\n";
  }
  EXPECT_TRUE(RecogniseFailedRecipients(nested).empty());
  const std::string broken =
      "Content-Type: multipart/report; boundary=never-closed\r\n\r\n--never-closed\r\n"
      "Content-Type: message/delivery-status\r\n\r\nFinal-Recipient: rfc822; a@x.jp\r\n"
      "Action: failed";
  EXPECT_EQ(RecogniseFailedRecipients(broken), Addresses{"a@x.jp"});
  std::string binary(1 << 20, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>(i * 131);
  EXPECT_TRUE(RecogniseFailedRecipients(binary).empty());
  EXPECT_TRUE(RecogniseFailedRecipients(std::string(kMaxReturnedMailBytes + 1, 'x')).empty());
}

TEST(ReturnedMail, TheMarkerPhrasesStillComeFirst) {
  testing::TempDir dir;
  testing::WriteFile(dir / "both", std::string(kStatusReport) +
                                       "\r\nThe following addresses had permanent fatal errors\r\n"
                                       "<marker@example.jp>\r\n\r\n");
  EXPECT_EQ(ExtractReturned(dir / "both"), Addresses{"marker@example.jp"});
  testing::WriteFile(dir / "report", kStatusReport);
  EXPECT_EQ(ExtractReturned(dir / "report"), Addresses{"goro@example.co.jp"});
}

}  // namespace
}  // namespace tarnwick
