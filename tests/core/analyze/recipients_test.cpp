#include "core/analyze/recipients.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

TEST(Recipients, AddressesAreCutOutOfRunningText) {
  EXPECT_EQ(AddressesIn("Your mail to <kenta@example.jp>, 'yui@example.co.jp' and "
                        "mailto:sora@example.com. failed"),
            (Addresses{"kenta@example.jp", "yui@example.co.jp", "sora@example.com"}));
  // A host name alone, a trailing hyphen and "SMTP=" prefixes are no part of an address.
  EXPECT_EQ(AddressesIn("user@localhost; dda:SMTP=riku@example.org- ok"),
            (Addresses{"riku@example.org"}));
  EXPECT_EQ(AddressesIn("@@@ @ x@ @y.jp"), Addresses());
  EXPECT_EQ(AddressesIn("to o'brien@example.ie failed"), Addresses{"o'brien@example.ie"});
}

TEST(Recipients, EachAddressIsKeptOnceWhateverItsLetterCase) {
  Recipients recipients;
  recipients.Add("Kenta <Kenta@Example.jp>");
  recipients.Add("kenta@example.jp");
  recipients.Add("not an address");
  recipients.Add("yui@example.jp (Yui)");
  EXPECT_EQ(recipients.Take(), (Addresses{"Kenta@Example.jp", "yui@example.jp"}));
}

}  // namespace
}  // namespace tarnwick
