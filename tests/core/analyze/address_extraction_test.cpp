#include "core/analyze/address_extraction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::TempDir;
using testing::WriteFile;
using Addresses = std::vector<std::string>;

std::filesystem::path Sample(const char* name) {
  return std::filesystem::path(TARNWICK_TEST_DATA) / "returned" / name;
}

struct Cleaning {
  const char* text;
  const char* address;
};

class CleanAddressRule : public ::testing::TestWithParam<Cleaning> {};

TEST_P(CleanAddressRule, CutsTheBareAddress) {
  EXPECT_EQ(CleanAddress(GetParam().text), GetParam().address) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CleanAddressRule,
    ::testing::Values(Cleaning{"Taro Yamada <taro@example.jp>", "taro@example.jp"},
                      Cleaning{"taro@example.jp (Taro Yamada)", "taro@example.jp"},
                      Cleaning{"\"Yamada, Taro\" taro@example.jp", "taro@example.jp"},
                      Cleaning{"  taro @ example.jp  ", "taro@example.jp"}, Cleaning{"<>", ""},
                      Cleaning{"taro@example.jp>", "taro@example.jp"},
                      Cleaning{"<a@x> <b@x>", "a@x"}, Cleaning{"(unclosed comment a@x", ""},
                      Cleaning{"\"unclosed quote a@x", ""}, Cleaning{"\ta@x", "\ta@x"},
                      // Comments nest: the inner ")" does not end the outer comment.
                      Cleaning{"(reason: 552 size exceeds maximum (10485760))", ""},
                      Cleaning{"a@x (outer (inner) outer)", "a@x"},
                      // 山田 (0x8E 0x52 0x93 0x63) and 太郎 with 0x5C "表": bytes pass unharmed.
                      Cleaning{"\x8E\x52\x93\x63\x95\x5C <taro@example.jp>", "taro@example.jp"},
                      Cleaning{"\x95\x5C@example.jp", "\x95\x5C@example.jp"}));

TEST(ExtractReturned, DeliveryFailureListsEveryAddressUpToTheEmptyLine) {
  // The reason line holds only a comment, so it cleans to nothing; the repeated address stays.
  EXPECT_EQ(
      ExtractReturned(Sample("sendmail_user_unknown.eml")),
      (Addresses{"taro.yamada@example.jp", "hanako@example.ne.jp", "taro.yamada@example.jp"}));
}

TEST(ExtractReturned, ApprovalRequestGivesTheAddressTwoLinesBelow) {
  EXPECT_EQ(ExtractReturned(Sample("majordomo_approval.eml")), (Addresses{"ichiro@example.co.jp"}));
}

TEST(ExtractReturned, RecipientsDidNotReceiveGivesTheIndentedAddress) {
  EXPECT_EQ(ExtractReturned(Sample("recipients_did_not_receive.eml")),
            (Addresses{"jiro@example.com"}));
}

TEST(ExtractReturned, RecipientsDidNotReceiveGivesEachLoneAddressBelow) {
  testing::TempDir dir;
  testing::WriteFile(dir / "two",
                     "From: Mail Delivery Subsystem <mailer-daemon@docomo.example.ne.jp>\n"
                     "Subject: Returned mail: see transcript for details\n\n"
                     "The following recipients did not receive this message:\n\n"
                     "<aki@docomo.example.ne.jp>\n <fuyu@docomo.example.ne.jp>\n"
                     "Please reply to <postmaster@docomo.example.ne.jp>\n\n");
  EXPECT_EQ(ExtractByMarkers(dir / "two"),
            (Addresses{"aki@docomo.example.ne.jp", "fuyu@docomo.example.ne.jp"}));
}

// Each recipient with its reasons below it: the lone addresses up to the empty line, not the
// mail system's own mailbox, nor anything after the empty line.
TEST(ExtractReturned, RecipientsDidNotReceiveReadsPastTheReasons) {
  testing::TempDir dir;
  testing::WriteFile(dir / "reasons",
                     "From: Mail Delivery Subsystem <mailer-daemon@docomo.example.ne.jp>\n"
                     "Subject: Returned mail: see transcript for details\n\n"
                     "The following recipients did not receive this message:\n\n"
                     "     <aki@docomo.example.ne.jp>\n        550 5.1.1 user unknown\n"
                     "     <fuyu@docomo.example.ne.jp>\n        550 5.2.2 mailbox full\n"
                     "     postmaster@docomo.example.ne.jp\n\n"
                     "<later@docomo.example.ne.jp>\n");
  EXPECT_EQ(ExtractByMarkers(dir / "reasons"),
            (Addresses{"aki@docomo.example.ne.jp", "fuyu@docomo.example.ne.jp"}));
}

TEST(ExtractReturned, OnlyTheFirstMarkerCounts) {
  EXPECT_EQ(ExtractReturned(Sample("both_markers.eml")), (Addresses{"saburo@example.org"}));
}

TEST(ExtractReturned, MarkersAreCaseSensitive) {
  EXPECT_FALSE(ExtractByMarkers(Sample("lowercase_marker.eml")).has_value());
  EXPECT_FALSE(ExtractByMarkers(Sample("sender_capitals.eml")).has_value()) << "no marker at all";
  // When a marker occurs, its answer stands.
  EXPECT_EQ(ExtractByMarkers(Sample("sendmail_user_unknown.eml"))->size(), 3u);
  EXPECT_TRUE(ExtractReturned(Sample("not_a_bounce.eml")).empty());
}

TEST(ExtractReturned, MarkerAtTheEndOfTheFileGivesNothing) {
  TempDir dir;
  WriteFile(dir / "a", "x requests that you approve the following:\n\n");
  WriteFile(dir / "b", "   ----- The following addresses had permanent fatal errors -----");
  EXPECT_TRUE(ExtractReturned(dir / "a").empty());
  EXPECT_TRUE(ExtractReturned(dir / "b").empty());
}

TEST(ExtractReturned, AQuotedReportEndsAtAQuotedEmptyLine) {
  TempDir dir;
  WriteFile(dir / "forwarded",
            "Subject: Fwd: Returned mail\n\n"
            "> ----- The following addresses had permanent fatal errors -----\n"
            "> <kenji@example.com>\n"
            ">     (reason: 550 5.1.1 <kenji@example.com>... User unknown)\n"
            ">\n"
            ">    ----- Transcript of session follows -----\n"
            "> Received: from mx.example.org by mx.example.jp\n\n");
  EXPECT_EQ(ExtractReturned(dir / "forwarded"), Addresses{"kenji@example.com"});
  // Unquoted, a line of ">" is no end: the block runs on to the empty line as it always has.
  WriteFile(dir / "plain", "The following addresses had permanent fatal errors\n<a@x>\n>\n<b@x>\n");
  EXPECT_EQ(ExtractReturned(dir / "plain"), (Addresses{"a@x", "b@x"}));
}

// What follows a marker is taken only when it is an address; a marker that names one recipient
// at a time is read at each repetition.
TEST(ExtractReturned, MarkersGiveAddressesOnly) {
  const auto format = [](const char* name) {
    return std::filesystem::path(TARNWICK_TEST_DATA) / "returned" / "formats" / name;
  };
  EXPECT_EQ(ExtractByMarkers(format("marker_qp.eml")), Addresses());
  EXPECT_EQ(ExtractReturned(format("marker_qp.eml")), Addresses{"someone@qp.example.com"});
  EXPECT_EQ(ExtractByMarkers(format("marker_no_at.eml")), Addresses());
  EXPECT_EQ(ExtractReturned(format("marker_no_at.eml")), Addresses{"takumi@example.com"});
  EXPECT_EQ(ExtractByMarkers(format("netscape_two.eml")),
            (Addresses{"akane@ns.example.com", "rina@ns.example.com"}));
  EXPECT_EQ(ExtractReturned(format("netscape_reason_first.eml")),
            (Addresses{"akane@ns.example.com", "rina@ns.example.com"}));
}

// Old Mac mail programs end lines with CR alone: the markers and the From: line are read as in
// any other mail.
TEST(ExtractReturned, CrOnlyLinesReadAsAnyOther) {
  TempDir dir;
  for (const char* name : {"sendmail_user_unknown.eml", "majordomo_approval.eml",
                           "recipients_did_not_receive.eml", "sender_capitals.eml"}) {
    std::string mail = testing::ReadFile(Sample(name));
    std::erase(mail, '\r');
    std::replace(mail.begin(), mail.end(), '\n', '\r');
    WriteFile(dir / name, mail);
    for (ExtractionMode mode : {ExtractionMode::Returned, ExtractionMode::Sender})
      EXPECT_EQ(ExtractAddresses(dir / name, mode), ExtractAddresses(Sample(name), mode)) << name;
  }
}

// A delay warning that lists its addresses under a failure report's marker gives nothing.
TEST(ExtractReturned, AWarningUnderTheMarkerGivesNothing) {
  EXPECT_EQ(ExtractByMarkers(Sample("quiet/delay_with_marker.eml")),
            Addresses{"nanami@example.co.jp"});
  EXPECT_EQ(ExtractReturned(Sample("quiet/delay_with_marker.eml")), Addresses());
}

TEST(ExtractReturned, AMarkerFollowedByNoAddressLeavesTheMailToItsFormat) {
  TempDir dir;
  WriteFile(dir / "empty_block",
            "From: MAILER-DAEMON@mx.example.jp\r\nSubject: Returned mail\r\n"
            "Content-Type: multipart/report; report-type=delivery-status; boundary=R\r\n\r\n"
            "--R\r\nContent-Type: text/plain\r\n\r\n"
            "   ----- The following addresses had permanent fatal errors -----\r\n\r\n"
            ">>> yuki@example.jp (Undelivered)\r\n\r\n"
            "--R\r\nContent-Type: message/delivery-status\r\n\r\n"
            "Final-Recipient: rfc822; yuki@example.jp\r\nAction: failed\r\n--R--\r\n");
  EXPECT_EQ(ExtractByMarkers(dir / "empty_block"), Addresses());
  EXPECT_EQ(ExtractReturned(dir / "empty_block"), Addresses{"yuki@example.jp"});
}

// A device, a pipe or an endless file is no mail: extraction ends at once with nothing.
TEST(ExtractReturned, EndlessAndSpecialFilesGiveNothingAndEnd) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // opening it would wait for a writer
  for (const std::filesystem::path& file : {std::filesystem::path("/dev/zero"), dir / "fifo"}) {
    for (ExtractionMode mode : {ExtractionMode::Returned, ExtractionMode::Sender})
      EXPECT_TRUE(ExtractAddresses(file, mode).empty()) << file;
  }
}

TEST(ExtractSender, TakesTheFirstFromColonLineInAnyCase) {
  // "From shiro@..." (an mbox separator) has no colon and does not count.
  EXPECT_EQ(ExtractSender(Sample("sender_capitals.eml")), (Addresses{"Taro.Yamada@Example.JP"}));
  EXPECT_EQ(ExtractAddresses(Sample("sender_capitals.eml"), ExtractionMode::Sender),
            (Addresses{"Taro.Yamada@Example.JP"}));
  EXPECT_EQ(ExtractAddresses(Sample("majordomo_approval.eml"), ExtractionMode::Returned),
            (Addresses{"ichiro@example.co.jp"}));
}

TEST(ExtractHostile, MissingFileGivesNothing) {
  EXPECT_TRUE(ExtractReturned("/nonexistent/mail").empty());
  EXPECT_TRUE(ExtractSender("/nonexistent/mail").empty());
}

TEST(ExtractHostile, HugeLinesBinaryAndZeroBytesStayBounded) {
  TempDir dir;
  // Megabytes without a line end, then a marker: the marker line is still read on its own.
  // The address line is cut at its bound, before its "@": what is left is no address.
  WriteFile(dir / "long", std::string(5 << 20, 'a') +
                              "\n----- The following addresses had permanent fatal errors\n" +
                              std::string(1 << 20, 'b') + "@x\n<kept@x>\n\n");
  EXPECT_EQ(ExtractReturned(dir / "long"), Addresses{"kept@x"});

  std::string binary(1 << 20, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>((i * 131) >> 3);
  WriteFile(dir / "binary", binary);
  ExtractReturned(dir / "binary");
  ExtractSender(dir / "binary");

  // A zero byte ends a line as text: what follows it on that line is not an address.
  WriteFile(dir / "nul", std::string("From: a@x\0b@y\n", 14));
  EXPECT_EQ(ExtractSender(dir / "nul"), (Addresses{"a@x"}));
}

TEST(ExtractHostile, AnEndlessAddressBlockIsCapped) {
  TempDir dir;
  std::string mail = "The following addresses had permanent fatal errors\n";
  for (std::size_t i = 0; i < kMaxExtractedAddresses + 50; ++i)
    mail += "<a@x>\n";
  WriteFile(dir / "many", mail);
  EXPECT_EQ(ExtractReturned(dir / "many").size(), kMaxExtractedAddresses);
}

}  // namespace
}  // namespace tarnwick
