#include "core/store/usual_ports.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

TEST(UsualPortsTest, EachEncryptionHasItsSmtpPort) {
  EXPECT_EQ(UsualSmtpPort(SmtpSecurity::None), 25u);
  EXPECT_EQ(UsualSmtpPort(SmtpSecurity::StartTls), 587u);
  EXPECT_EQ(UsualSmtpPort(SmtpSecurity::Tls), 465u);
}

// A usual port follows the encryption chosen; a port of the administrator's own stays.
TEST(UsualPortsTest, OnlyAUsualPortIsReplacedByTheChosenEncryptions) {
  EXPECT_EQ(SmtpPortForSecurity(25, 1), 587u);
  EXPECT_EQ(SmtpPortForSecurity(587, 2), 465u);
  EXPECT_EQ(SmtpPortForSecurity(465, 0), 25u);
  EXPECT_EQ(SmtpPortForSecurity(25, 0), 25u);
  EXPECT_EQ(SmtpPortForSecurity(2525, 1), std::nullopt);
  EXPECT_EQ(SmtpPortForSecurity(std::nullopt, 1), std::nullopt);
  EXPECT_EQ(SmtpPortForSecurity(25, 3), std::nullopt);
}

}  // namespace
}  // namespace tarnwick
