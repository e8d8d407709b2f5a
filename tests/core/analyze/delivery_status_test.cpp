#include "core/analyze/delivery_status.h"

#include <gtest/gtest.h>

#include "core/analyze/recipients.h"

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

Addresses FailedIn(std::string_view report) {
  Recipients failed;
  ReadDeliveryStatus(report, failed);
  return failed.Take();
}

TEST(DeliveryStatus, WithoutAnActionAPermanentStatusCountsAsFailed) {
  EXPECT_EQ(FailedIn("Reporting-MTA: dns; mx.example.jp\r\n\r\n"
                     "Final-Recipient: RFC822; <perm@example.jp>\r\nStatus: 5.2.2\r\n\r\n"
                     "Final-Recipient: rfc822; temp@example.jp\r\nStatus: 4.2.2\r\n"),
            Addresses{"perm@example.jp"});
}

TEST(DeliveryStatus, InternationalReportsUseTheUtf8AddressType) {
  EXPECT_EQ(FailedIn("Final-Recipient: utf-8; intl@example.jp\nAction: failed\n\n"
                     "Final-Recipient: x400; /S=sato/\nAction: failed\n"),
            Addresses{"intl@example.jp"});
}

TEST(DeliveryStatus, OnlyFailedBlocksCount) {
  EXPECT_EQ(FailedIn("Final-Recipient: rfc822; late@example.jp\nAction: delayed\n\n"
                     "Final-Recipient: rfc822; done@example.jp\nAction: delivered\n\n"
                     "Final-Recipient: rfc822; gone@example.jp\nACTION: Failed\n"),
            Addresses{"gone@example.jp"});
}

// Recipients without the empty line between them, their fields in whichever order the mail
// system writes them.
TEST(DeliveryStatus, RecipientsRunTogetherAreToldApart) {
  EXPECT_EQ(FailedIn("Reporting-MTA: dns; mx\n\n"
                     "Original-Recipient: rfc822;a@x.jp\nFinal-Recipient: rfc822; a@x.jp\n"
                     "Action: failed\nStatus: 5.1.1\n"
                     "Original-Recipient: rfc822;b@x.jp\nFinal-Recipient: rfc822; b@x.jp\n"
                     "Action: delayed\nStatus: 4.4.1\n"
                     "Final-Recipient: rfc822; c@x.jp\nOriginal-Recipient: rfc822;c@x.jp\n"
                     "Action: failed\nStatus: 5.2.2\n"),
            (Addresses{"a@x.jp", "c@x.jp"}));
  EXPECT_EQ(FailedIn("Reporting-MTA: dns; mx\nFinal-Recipient: rfc822; d@x.jp\n"
                     "Original-Recipient: rfc822;d@x.jp\nAction: failed\nStatus: 5.1.1\n"
                     "Final-Recipient: rfc822; e@x.jp\nAction: failed\nStatus: 5.1.1\n"),
            (Addresses{"d@x.jp", "e@x.jp"}));
  // The action first, each recipient in a block of its own.
  EXPECT_EQ(FailedIn("Action: failed\nStatus: 5.0.0\nOriginal-recipient: rfc822;f@x.jp\n"
                     "Final-recipient: rfc822;f@x.jp\n\nAction: failed\nStatus: 5.0.0\n"
                     "Original-recipient: rfc822;g@x.jp\nFinal-recipient: rfc822;g@x.jp\n"),
            (Addresses{"f@x.jp", "g@x.jp"}));
}

TEST(DeliveryStatus, ADelayOrSuccessReportSaysNoFailure) {
  EXPECT_TRUE(
      ReportsNoFailure("Reporting-MTA: dns; mx\n\nFinal-Recipient: rfc822; a@x.jp\n"
                       "Action: delayed\n\nFinal-Recipient: rfc822; b@x.jp\n"
                       "Action: relayed\n"));
  EXPECT_FALSE(
      ReportsNoFailure("Final-Recipient: rfc822; a@x.jp\nAction: delayed\n\n"
                       "Final-Recipient: x400; /S=b/\nAction: failed\n"));
  // A report without recipient blocks says nothing either way.
  EXPECT_FALSE(ReportsNoFailure("Reporting-MTA: dns; mx\nArrival-Date: today\n"));
  EXPECT_FALSE(ReportsNoFailure(""));
}

}  // namespace
}  // namespace tarnwick
