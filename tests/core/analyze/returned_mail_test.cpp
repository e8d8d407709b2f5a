#include "core/analyze/returned_mail.h"

#include <gtest/gtest.h>

#include "core/analyze/address_extraction.h"
#include "core/platform/file_bytes.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

Addresses RecogniseSample(const std::string& name) {
  const std::filesystem::path file = std::filesystem::path(TARNWICK_TEST_DATA) / "returned" / name;
  const std::optional<std::string> mail = ReadWholeFile(file, kMaxReturnedMailBytes);
  EXPECT_TRUE(mail) << file;
  return mail ? RecogniseFailedRecipients(*mail) : Addresses();
}

// "exim.eml" gives the test name "exim".
std::string TestName(std::string_view file) {
  return std::string(file.substr(0, file.find('.')));
}

struct Format {
  const char* file;
  Addresses failed;
};

class RecognisedFormat : public ::testing::TestWithParam<Format> {};

TEST_P(RecognisedFormat, GivesEachFailedRecipientOnce) {
  EXPECT_EQ(RecogniseSample(std::string("formats/") + GetParam().file), GetParam().failed);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, RecognisedFormat,
    ::testing::Values(
        // Postfix without a status report: "<address>: reason", the copy's text ignored.
        Format{"postfix_notice.eml", {"kenta@example.co.jp", "yui@mx.example.jp"}},
        // Exim's indented list after "The following address(es) failed:".
        Format{"exim.eml", {"mio@example.ne.jp", "riku@example.ne.jp"}},
        // A status report that names no usable address gives way to X-Failed-Recipients.
        Format{"exim_header_over_pipe.eml", {"rin@example.jp"}},
        Format{"qmail.eml", {"sora@example.com", "hana@example.com"}},
        Format{"yahoo.eml", {"hinata@yahoo.co.jp"}},
        // The "mailto:" repetition and the diagnostic section give no second entry.
        Format{"office365.eml", {"haruto@example.onmicrosoft.com"}},
        Format{"domino.eml", {"itsuki@example.org"}},
        Format{"domino_failure_reasons.eml", {"akari@example.com"}},
        // Quoted-printable broke the address across a soft line break.
        Format{"gmail_quoted_printable.eml",
               {"minato.a.very.long.local.part.that.the.encoder.had.to.break@example.jp"}},
        // ISO-2022-JP text, recognised as a report by its encoded Japanese subject alone.
        Format{"jp_carrier_iso2022.eml", {"aoi@example.ne.jp"}},
        Format{"jp_base64_utf8.eml", {"ren@example.co.jp"}},
        // An X.400 or local final recipient is replaced by the original one.
        Format{"x400_status.eml", {"sakura@example.ac.uk", "nagi@example.ac.uk"}},
        // A boundary the body never uses: the report is read from the undivided text.
        Format{"broken_boundary.eml", {"daiki@example.jp"}},
        Format{"pasted_status.eml", {"kaito@example.com", "mei@example.com"}},
        Format{"amazon_ses.eml", {"yuto@example.jp"}},
        Format{"exchange2003.eml", {"taro@example.co.jp"}},
        Format{"groupwise.eml", {"jiro@example.com"}},
        Format{"mailmarshal.eml", {"saburo@example.net"}},
        Format{"courier.eml", {"rokuro@example.co.jp"}},
        // The sender the notice names ("sent from") is no recipient.
        Format{"trendmicro.eml", {"hachi@example.ne.jp"}},
        // Only the SMTP dialogue names the recipient.
        Format{"james.eml", {"goro@example.org"}},
        // Shift_JIS, announced as "以下の宛先".
        Format{"jp_shift_jis.eml", {"kyu@example.jp"}},
        // Only the subject names the recipient.
        Format{"subject_only.eml", {"juuichi@example.com"}},
        // Phrasings whose line has no word of failure, or names the recipient on a line apart.
        Format{"not_valid_user.eml", {"tsubasa@example.org"}},
        Format{"delivery_has_failed.eml", {"hayato@example.net"}},
        Format{"automatically_rejected.eml", {"kaede@corp.example.com"}},
        Format{"addressed_to_dashes.eml", {"kotaro@gw.example.com"}},
        Format{"target_address.eml", {"natsuki@example.ne.jp"}},
        Format{"mass_sender.eml", {"shun@example.co.jp"}},
        Format{"no_such_person.eml", {"ayumi.tanaka@dir.example.edu"}},
        // The list the post went to refused it; the notice's own addressee is no recipient.
        Format{"not_a_member.eml", {"announce@lists.example.org"}},
        Format{"carrier_mailbox_full.eml", {"mahiro@ezweb.example.ne.jp"}},
        Format{"carrier_disabled.eml", {"kazuki@docomo.example.ne.jp"}},
        // "Action: failure" and "Action: error" for "failed".
        Format{"action_failure.eml", {"sota@example.com", "yuna@example.com"}},
        // The report of a returned mail the administrator forwarded.
        Format{"forwarded_report.eml", {"hiroto@example.com"}},
        // A report's parts as text after a preamble, no MIME structure around them.
        Format{"preamble_report.eml", {"mitsuki@example.com"}},
        // Only HTML: its text is read, not its links.
        Format{"html_only.eml", {"yuzuki@exch.example.com"}},
        // Each failed recipient of a notice that repeats its announcement.
        Format{"netscape_two.eml", {"akane@ns.example.com", "rina@ns.example.com"}},
        Format{"netscape_reason_first.eml", {"akane@ns.example.com", "rina@ns.example.com"}},
        Format{"exchange_two.eml", {"haruka@ex.example.com", "kenji@ex.example.com"}},
        // Quoted-printable decoded: "someone=40qp.example.com" is someone@qp.example.com.
        Format{"marker_qp.eml", {"someone@qp.example.com"}},
        Format{"marker_no_at.eml", {"takumi@example.com"}},
        // The address a blocklist's link asks about is no recipient.
        Format{"dnsbl_plain.eml", {"minori@example.org"}},
        // The address alone on its line, the reason on the next.
        Format{"address_then_reason.eml", {"kenta.mori@dir.example.edu"}},
        // An HTML table: each cell a word of its own.
        Format{"html_table.eml", {"itsuki@ex55.example.com"}},
        Format{"timed_out.eml", {"yuma@example.co.jp"}},
        // A carrier's words in ISO-2022-JP: a refusal of the listed customer, the address after
        // a full-width blank, labels without a colon; the sender's label gives nothing.
        Format{"jp_carrier_unlabelled.eml",
               {"takeru@mb.carrier.example.jp", "yuka@mb.carrier.example.jp"}},
        // Exim names each malformed address before its reason, which may quote another.
        Format{"exim_malformed.eml", {"kaito@example.org", "hana@example.org"}},
        // A list server's own notices name the address at fault above the copy of the post: the
        // sender who is no member, the list a mail looped through; never the notice's own.
        Format{"fml_not_member.eml", {"tomoya@example.net"}},
        Format{"fml_loop_alert.eml", {"staff@ml.example.org"}}),
    [](const ::testing::TestParamInfo<Format>& info) { return TestName(info.param.file); });

// The same mail with CR alone ending its lines (old Mac mail programs), or with blank lines
// before its header (some mail systems' notices), gives the same recipients.
TEST_P(RecognisedFormat, CrOnlyLinesAndBlankLinesBeforeTheHeaderChangeNothing) {
  const std::filesystem::path file =
      std::filesystem::path(TARNWICK_TEST_DATA) / "returned" / "formats" / GetParam().file;
  const std::optional<std::string> mail = ReadWholeFile(file, kMaxReturnedMailBytes);
  ASSERT_TRUE(mail);
  std::string crOnly;
  for (std::size_t i = 0; i < mail->size(); ++i) {
    if ((*mail)[i] == '\n' && (i == 0 || (*mail)[i - 1] != '\r')) crOnly += '\r';
    if ((*mail)[i] != '\n') crOnly += (*mail)[i];
  }
  EXPECT_EQ(RecogniseFailedRecipients(crOnly), GetParam().failed);
  EXPECT_EQ(RecogniseFailedRecipients(" \r\n\n\t\n" + *mail), GetParam().failed);
}

class NoFailureMail : public ::testing::TestWithParam<const char*> {};

TEST_P(NoFailureMail, GivesNothing) {
  EXPECT_EQ(RecogniseSample(std::string("quiet/") + GetParam()), Addresses());
}

INSTANTIATE_TEST_SUITE_P(Samples, NoFailureMail,
                         ::testing::Values("postfix_delay.eml", "warning_without_report.eml",
                                           "delivered.eml", "auto_reply.eml", "complaint.eml",
                                           "ordinary_mail.eml",
                                           // a member's post forwarded: no mail system's report
                                           "forwarded_post.eml",
                                           // a delay warning in HTML, a style naming an address
                                           "html_delay.eml",
                                           // an action nobody knows, in a delay warning
                                           "unknown_action_delay.eml",
                                           // a post the list server distributed, its words
                                           // those of the server's notices
                                           "list_post.eml"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return TestName(info.param);
                         });

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

// A report pasted into the words of a notice that says the delivery succeeded, or was relayed or
// expanded, names no failed recipient, whatever its labels and words.
TEST(ReturnedMail, PastedSuccessReportsGiveNothing) {
  for (const char* action : {"delivered (to mailbox)", "relayed", "expanded", "Delivered"}) {
    const std::string mail =
        std::string(
            "From: MAILER-DAEMON@mx.example.jp\r\nSubject: Delivery Status Notification\r\n\r\n"
            "This is a delivery status notification; no error occurred.\r\n\r\n"
            "Reporting-MTA: dns; mx.example.jp\r\n\r\n"
            "Final-Recipient: rfc822; saburo@example.com\r\nAction: ") +
        action + "\r\nStatus: 2.0.0\r\nDiagnostic-Code: smtp; 250 ok\r\n";
    EXPECT_EQ(RecogniseFailedRecipients(mail), Addresses()) << action;
  }
  // One recipient failed, the other was delivered: the failed one only.
  const std::string mixed =
      "From: MAILER-DAEMON@mx.example.jp\r\nSubject: Delivery Status Notification\r\n\r\n"
      "Final-Recipient: rfc822; ok@example.com\r\nAction: delivered\r\nStatus: 2.0.0\r\n\r\n"
      "Final-Recipient: rfc822; gone@example.com\r\nAction: failed\r\nStatus: 5.1.1\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(mixed), Addresses{"gone@example.com"});
}

// A carrier's notice that says only that the message failed: the recipient stands in the copy.
constexpr char kCarrierNotice[] =
    "From: MMS Administrator <sysadmin@mms.example.com>\r\nTo: dev@lists.example.jp\r\n"
    "Subject: Undeliverable Message\r\n"
    "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n--m\r\nContent-Type: text/plain\r\n\r\n"
    "Message could not be delivered to mobile.\r\nError: No valid recipients for this MM\r\n"
    "Original Message:\r\nFrom: Dev list <dev@lists.example.jp>\r\n"
    "To: 0901234567@mms.example.com\r\nSubject: news\r\n\r\n--m--\r\n";

TEST(ReturnedMail, ANoticeNamingNoAddressGivesTheRecipientOfItsCopy) {
  EXPECT_EQ(RecogniseFailedRecipients(kCarrierNotice), Addresses{"0901234567@mms.example.com"});
  const std::string attached =
      "From: Mail Delivery Subsystem <MAILER-DAEMON@mx.example.jp>\r\n"
      "Subject: Returned mail: see transcript for details\r\n"
      "Content-Type: multipart/mixed; boundary=\"a\"\r\n\r\n--a\r\nContent-Type: text/plain\r\n\r\n"
      "421 mx.example.com: Connection timed out\r\n\r\n"
      "--a\r\nContent-Type: message/rfc822\r\n\r\n"
      "Received: from lists.example.jp by mx.example.com for <kai@example.com>; Thu\r\n"
      "From: dev@lists.example.jp\r\nTo: dev@lists.example.jp\r\n\r\nhello\r\n"
      "--a\r\nContent-Type: text/rfc822-headers\r\n\r\nTo: other@example.com\r\n\r\n--a--\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(attached), Addresses{"kai@example.com"});
}

// The notice names only the list's address, as the sender of what failed: the copy tells to whom.
TEST(ReturnedMail, ANoticeNamingOnlyTheSenderGivesTheRecipientOfItsCopy) {
  for (const char* words : {"Your message from <dev-admin@lists.example.jp> was refused: unknown.",
                            "The mail sent by dev-admin@lists.example.jp failed: no such user."}) {
    const std::string mail =
        std::string(
            "From: MAILER-DAEMON@mx.example.com\r\nTo: dev-admin@lists.example.jp\r\n"
            "Subject: Returned mail\r\n\r\n") +
        words +
        "\r\n\r\n------ This is a copy of your message ------\r\n\r\n"
        "Received: from lists.example.jp by mx.example.com for <kenta@example.com>; Thu\r\n"
        "From: dev@lists.example.jp\r\nTo: dev@lists.example.jp\r\n\r\nhi\r\n";
    EXPECT_EQ(RecogniseFailedRecipients(mail), Addresses{"kenta@example.com"}) << words;
  }
}

// A mail system's "Returned mail" is a failure report, however plain its words; a subject that
// may announce a success or a delay too, or words that say the mail will be retried, are not.
TEST(ReturnedMail, AFailureSubjectFromAMailSystemLetsTheCopyNameTheRecipient) {
  const auto mail = [](const std::string& subject, const std::string& words) {
    return "From: MAILER-DAEMON@mx.example.com\r\nTo: dev-admin@lists.example.jp\r\nSubject: " +
           subject +
           "\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
           "Content-Type: text/plain\r\n\r\n" +
           words +
           "\r\n\r\n--b\r\nContent-Type: message/rfc822\r\n\r\n"
           "From: dev@lists.example.jp\r\nTo: kenta@example.com\r\n\r\nhello\r\n--b--\r\n";
  };
  EXPECT_EQ(RecogniseFailedRecipients(mail("Returned mail", "Your message could not be sent.")),
            Addresses{"kenta@example.com"});
  EXPECT_EQ(RecogniseFailedRecipients(mail("Undeliverable: news", "The mailbox was closed.")),
            Addresses{"kenta@example.com"});
  EXPECT_EQ(RecogniseFailedRecipients(
                mail("Delivery Status Notification", "Your message could not be sent.")),
            Addresses());
  EXPECT_EQ(RecogniseFailedRecipients(mail("Returned mail", "We will retry for 4 more days.")),
            Addresses());
}

TEST(ReturnedMail, TheCopyIsNoGuessForWarningsOrNoticesThatNameAddresses) {
  std::string mail = kCarrierNotice;
  // A delay warning, and a notice that names an address it does not take (its own addressee).
  for (const char* words : {"Delivery delayed, will retry for 5 days.",
                            "Error: dev@lists.example.jp could not be delivered."}) {
    std::string changed = mail;
    changed.replace(changed.find("Error: No valid"), 38, words);
    EXPECT_EQ(RecogniseFailedRecipients(changed), Addresses()) << words;
  }
  // An ordinary mail with a forwarded message names no failure.
  const std::string forward =
      "From: aoi@example.org\r\nSubject: fwd: news\r\n\r\nSee below.\r\n\r\n"
      "-----Original Message-----\r\nFrom: a@example.org\r\nTo: b@example.org\r\n\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(forward), Addresses());
}

TEST(ReturnedMail, EachXFailedRecipientsFieldCounts) {
  const std::string mail =
      "From: MAILER-DAEMON@mx.example.jp\r\nSubject: failure notice\r\n"
      "X-Failed-Recipients: aki@example.com\r\nX-Failed-Recipients: fuyu@example.com\r\n\r\n"
      "The mail could not be delivered.\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(mail), (Addresses{"aki@example.com", "fuyu@example.com"}));
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

TEST(ReturnedMail, HugeAndNestedPartsStayBounded) {
  const std::string head =
      "From: MAILER-DAEMON@mx.example.jp\r\nSubject: Undeliverable\r\n"
      "Content-Type: multipart/mixed; boundary=h\r\n\r\n--h\r\nContent-Type: text/plain\r\n\r\n"
      "Delivery to the following recipients failed:\r\n";
  std::string many = head;
  for (int i = 0; many.size() < (4u << 20); ++i)
    many += "  u" + std::to_string(i) + "@example.jp\r\n";
  EXPECT_EQ(RecogniseFailedRecipients(many + "--h--\r\n").size(), kMaxExtractedAddresses);

  // One endless line full of "@" signs, and a part that nests messages without boundaries.
  std::string ats = head + std::string(4 << 20, '@') + "\r\n--h--\r\n";
  EXPECT_TRUE(RecogniseFailedRecipients(ats).empty());
  std::string deep = "From: MAILER-DAEMON@mx.example.jp\r\n";
  for (int i = 0; i < 100000; ++i)
    deep += "Content-Type: message/rfc822\r\n\r\n";
  EXPECT_TRUE(RecogniseFailedRecipients(deep).empty());
}

TEST(ReturnedMail, BrokenEncodingsStillGiveTheAsciiAddresses) {
  for (const char* charset : {"iso-2022-jp", "shift_jis", "utf-8", "x-no-such-charset"}) {
    const std::string mail =
        std::string(
            "From: MAILER-DAEMON@mx.example.jp\r\nSubject: =?utf-8?B?####?=\r\n"
            "Content-Type: text/plain; charset=") +
        charset +
        "\r\n\r\n\x1b$B\x81\xff\xfe\x80\x1b(B\x1b(\r\n"
        "User unknown: kaede@example.jp \x82\r\n\xe3\x81";
    EXPECT_EQ(RecogniseFailedRecipients(mail), Addresses{"kaede@example.jp"}) << charset;
  }
  const std::string truncatedBase64 =
      "From: <>\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
      "VXNlciB1bmtub3duOiBrYWVkZUBleGFtcGxlLmpwCg\r\nQUJD=Q";
  EXPECT_EQ(RecogniseFailedRecipients(truncatedBase64), Addresses{"kaede@example.jp"});
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
