#include "core/delivery/mail_content.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(Envelope, ComesFromExactFromAndToLinesOfTheHeader) {
  const Envelope envelope =
      ScanEnvelope("From: admin@example.jp\r\nTo: Dev List <fml@example.jp>\r\nDate: x\r\n\r\n");
  EXPECT_EQ(envelope.sender, "admin@example.jp");
  EXPECT_EQ(envelope.recipient, "Dev List <fml@example.jp>") << "taken verbatim";
  EXPECT_TRUE(envelope.usable());
}

TEST(Envelope, OtherSpellingsAndTheBodyDontCount) {
  EXPECT_FALSE(ScanEnvelope("to: a@x\r\nFrom: b@x\r\n").usable());
  EXPECT_FALSE(ScanEnvelope("TO: a@x\r\nFrom: b@x\r\n").usable());
  EXPECT_FALSE(ScanEnvelope("To:a@x\r\nFrom: b@x\r\n").usable());
  EXPECT_FALSE(ScanEnvelope("From: b@x\r\n\r\nTo: a@x\r\n").usable()) << "the header ended";
  const Envelope later = ScanEnvelope("To: first@x\nTo: second@x\nFrom: b@x\n");
  EXPECT_EQ(later.recipient, "second@x");
  EXPECT_TRUE(ScanEnvelope("To: a@x\nFrom: b@x").usable()) << "no line end at all";
}

TEST(Envelope, ControlCharactersMakeItUnusable) {
  EXPECT_FALSE(ScanEnvelope(std::string("To: a@x\0b\r\nFrom: b@x\r\n", 23)).usable());
  EXPECT_FALSE(ScanEnvelope("To: a@x\tb\r\nFrom: b@x\r\n").usable());
  EXPECT_FALSE(ScanEnvelope("To: a@x\r\nFrom: \x1b[31mb@x\r\n").usable());
}

TEST(WireContent, EveryLineEndsInCrLfAndLeadingDotsAreDoubled) {
  EXPECT_EQ(EncodeContent("a\r\n.\r\n..b\nc").data, "a\r\n..\r\n...b\r\nc\r\n");
  EXPECT_EQ(EncodeContent("").data, "");
  EXPECT_EQ(EncodeContent("\r\n\r\n").data, "\r\n\r\n");
}

TEST(WireContent, ABareCrCantEndTheDataEarly) {
  // "\r.\r" is what a receiver that honours bare CR would take for the end of the data.
  const std::string wire = EncodeContent("body\r.\rMAIL FROM: <evil@x>\r\n").data;
  EXPECT_EQ(wire, "body\r\n..\r\nMAIL FROM: <evil@x>\r\n");
  EXPECT_EQ(wire.find("\r\n.\r\n"), std::string::npos);
  for (std::size_t i = 0; i < wire.size(); ++i) {
    if (wire[i] == '\r') {
      EXPECT_EQ(wire[i + 1], '\n');
    } else if (wire[i] == '\n') {
      EXPECT_EQ(wire[i - 1], '\r');
    }
  }
}

TEST(WireContent, LinesLongerThanSmtpAllowsAreFound) {
  EXPECT_EQ(EncodeContent("a\r\n" + std::string(998, 'x') + "\r\n").longLine, 0u);
  EXPECT_EQ(EncodeContent("a\r\n" + std::string(999, 'x') + "\r\n").longLine, 2u);
  EXPECT_EQ(EncodeContent("." + std::string(997, 'x')).longLine, 1u) << "with its added dot";
}

}  // namespace
}  // namespace tarnwick
