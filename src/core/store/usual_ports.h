// The ports mail servers usually listen on, by the encryption of the connection.
#pragma once

#include <cstdint>
#include <optional>

#include "core/store/common_settings.h"

namespace tarnwick {

// SMTP: 25 in the clear, 587 for STARTTLS (submission), 465 for TLS from the first byte.
std::uint32_t UsualSmtpPort(SmtpSecurity security);

// The SMTP port to put in place of `shown` once the encryption numbered `security` (as stored in
// SMTPSecurity) is chosen: its usual port when `shown` is the usual port of any encryption.
// Nothing for a port of the administrator's own (or no number), which stays as it is, and for a
// number that is no encryption.
std::optional<std::uint32_t> SmtpPortForSecurity(std::optional<std::uint32_t> shown,
                                                 std::uint32_t security);

}  // namespace tarnwick
