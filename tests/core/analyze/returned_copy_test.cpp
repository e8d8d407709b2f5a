#include "core/analyze/returned_copy.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

TEST(ReturnedCopy, TheNewestEnvelopeRecipientComesBeforeTheAddressee) {
  const std::string copy =
      "Received: from lists.example.jp by mx.example.com\r\n"
      "\twith ESMTP id 1 for <mio@example.com>; Thu, 29 Apr 2021 23:34:45 +0900\r\n"
      "Received: from post.example.org by lists.example.jp for <dev@lists.example.jp>;\r\n"
      "From: aoi@example.org\r\nTo: dev@lists.example.jp\r\nSubject: hi\r\n\r\n"
      "To: not-the-body@example.jp\r\n";
  EXPECT_EQ(CopiedRecipient(copy, {}), "mio@example.com");
  const std::string delivered =
      "Delivered-To: riku@example.com\r\nReceived: by mx.example.com\r\n"
      "Received: from a by b for <dev@lists.example.jp>;\r\nTo: dev@lists.example.jp\r\n";
  EXPECT_EQ(CopiedRecipient(delivered, {}), "riku@example.com");
}

// A copy quoted as mail programs quote, "> " before each line, up to the quoted empty line.
TEST(ReturnedCopy, AQuotedCopyIsReadAsItsHeader) {
  const std::string copy =
      "----- Original message -----\r\n"
      "> Received: from lists.example.jp by mx.example.com\r\n"
      "> \tfor <kenta@example.com>; Thu, 29 Apr 2021 23:34:45 +0900\r\n"
      "> From: dev@lists.example.jp\r\n> To: dev@lists.example.jp\r\n>\r\n"
      "> To: not-the-body@example.jp\r\n";
  EXPECT_EQ(CopiedRecipient(copy, {}), "kenta@example.com");
  EXPECT_EQ(CopiedRecipient(">> From: a@example.jp\r\n>> To: Sora <sora@example.net>\r\n", {}),
            "sora@example.net");
}

TEST(ReturnedCopy, OlderReceivingSystemsNameNoRecipient) {
  // The only "for" is where the post reached the list: the list's own address.
  const std::string copy =
      "Received: by lists.example.jp id 7\r\n"
      "Received: from post.example.org by lists.example.jp for <dev@lists.example.jp>;\r\n"
      "To: dev@lists.example.jp, aoi@example.org\r\n\r\n";
  EXPECT_EQ(CopiedRecipient(copy, {}), "");
}

TEST(ReturnedCopy, TheOneAddresseeWhenNoEnvelopeIsRecorded) {
  EXPECT_EQ(CopiedRecipient("From: a@example.jp\r\nTo: Sora <sora@example.net>\r\n", {}),
            "sora@example.net");
  // Two addressees, or only the notice's own addresses and the copy's sender: no guess.
  EXPECT_EQ(CopiedRecipient("To: a@example.net\r\nCc: b@example.net\r\n", {}), "");
  EXPECT_EQ(CopiedRecipient("To: admin@example.jp\r\n", {"admin@example.jp"}), "");
  EXPECT_EQ(CopiedRecipient("From: me@example.jp\r\nTo: me@example.jp\r\n", {}), "");
  EXPECT_EQ(CopiedRecipient("Delivered-To: Admin@Example.jp\r\n", {"admin@example.jp"}), "");
}

TEST(ReturnedCopy, AMarkerLineAndAQuotingIndentationComeBeforeTheHeader) {
  const std::string quoted =
      "----- Unsent message follows -----\r\n\r\n"
      "   From owner-dev@lists.example.jp  Thu Apr 29 23:34:45 2021\r\n"
      "   Received: from lists.example.jp by mx.example.co.jp\r\n"
      "   \tfor <hina@example.co.jp>; Thu, 29 Apr 2021 23:34:45 +0900\r\n"
      "   To: dev@lists.example.jp\r\n\r\n";
  EXPECT_EQ(CopiedRecipient(quoted, {}), "hina@example.co.jp");
  // Words where the header should be: no copy.
  EXPECT_EQ(CopiedRecipient("a\r\nb\r\nc\r\nd\r\ne\r\nTo: x@example.jp\r\n", {}), "");
}

TEST(ReturnedCopy, HostileCopiesStayBounded) {
  std::string endless;
  for (int i = 0; i < 100000; ++i)
    endless += "X-Field: value\r\n";
  EXPECT_EQ(CopiedRecipient(endless + "To: late@example.jp\r\n", {}), "");
  EXPECT_EQ(CopiedRecipient(std::string(1 << 20, 'a') + ": x@example.jp", {}), "");
  EXPECT_EQ(CopiedRecipient(std::string(1 << 20, '@'), {}), "");
}

}  // namespace
}  // namespace tarnwick
