#include "core/platform/mail_address.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

using enum AddressFault;

TEST(MailAddress, FullAddressesArePlainUnderBothRules) {
  for (const char* good : {"a@example.jp", "first.last+tag@mail.example.co.jp", "x%y@relay.jp",
                           "o'brien@example.ie", "a_b-c@ex-ample.jp"}) {
    EXPECT_TRUE(IsPlainAddress(good, DomainRule::Dotted)) << good;
    EXPECT_TRUE(IsPlainAddress(good, DomainRule::HostName)) << good;
  }
  for (const char* bad :
       {"", "@example.jp", "user@", "user@localhost", "user@example.", "user@.jp", "a@b@example.jp",
        "with space@example.jp", "failed:", "|/usr/bin/filter user@example.jp",
        "/var/mail/user@example.jp", "<user@example.jp>", "\"quoted\"@example.jp",
        "\x83\x41@example.jp", "user@\xe4\xbe\x8b.jp", "user@exa|mple.jp"}) {
    EXPECT_FALSE(IsPlainAddress(bad, DomainRule::Dotted)) << bad;
    EXPECT_FALSE(IsPlainAddress(bad, DomainRule::HostName)) << bad;
  }
}

TEST(MailAddress, OnlyTheHostNameRuleLooksInsideTheDomain) {
  for (const char* domain : {"ex_ample.jp", "example..jp", "ex%ample.jp", "ex'ample.jp"}) {
    const std::string address = std::string("user@") + domain;
    EXPECT_TRUE(IsPlainAddress(address, DomainRule::Dotted)) << address;
    EXPECT_EQ(CheckAddressSyntax(address, DomainRule::HostName).fault, BadDomain) << address;
  }
}

TEST(MailAddress, TheFirstFaultIsTheOneNamed) {
  const struct {
    std::string address;
    AddressFault fault;
  } cases[] = {
      {"", NoAtSign},
      {"a\tb@example.jp", Blank},
      {"\x83 a@example.jp", Blank},  // a blank is named before the 8-bit byte
      {"\x83\x41@example.jp", NotGraphic},
      {"a@example.jp\x7F", NotGraphic},
      {"a@example.jp\r", NotGraphic},
      {"user", NoAtSign},
      {"@a@example.jp", SecondAtSign},
      {"@example.jp", EmptyLocalPart},
      {"a@", BadDomain},
      {"a@example.jp.", BadDomain},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckAddressSyntax(c.address, DomainRule::HostName).fault, c.fault) << c.address;
  }
  const AddressSyntax bracket = CheckAddressSyntax("Name<n@example.jp", DomainRule::Dotted);
  EXPECT_EQ(bracket.fault, Punctuation);
  EXPECT_EQ(bracket.punctuation, '<');
}

TEST(MailAddress, SplitsAtTheFirstAtSign) {
  EXPECT_FALSE(SplitAtSign("user").has_value());
  const std::optional<AddressHalves> two = SplitAtSign("a@b@example.jp");
  ASSERT_TRUE(two);
  EXPECT_EQ(two->local, "a");
  EXPECT_EQ(two->domain, "b@example.jp");
  const std::optional<AddressHalves> bare = SplitAtSign("@");
  ASSERT_TRUE(bare);
  EXPECT_TRUE(bare->local.empty() && bare->domain.empty());
}

}  // namespace
}  // namespace tarnwick
