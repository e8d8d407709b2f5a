#include "core/store/usual_ports.h"

#include <algorithm>
#include <array>

namespace tarnwick {
namespace {

// By SmtpSecurity: none, STARTTLS, TLS.
constexpr std::array<std::uint32_t, 3> kUsualSmtpPorts{25, 587, 465};

}  // namespace

std::uint32_t UsualSmtpPort(SmtpSecurity security) {
  return kUsualSmtpPorts[static_cast<std::size_t>(security)];
}

std::optional<std::uint32_t> SmtpPortForSecurity(std::optional<std::uint32_t> shown,
                                                 std::uint32_t security) {
  const bool usual = shown && std::find(kUsualSmtpPorts.begin(), kUsualSmtpPorts.end(), *shown) !=
                                  kUsualSmtpPorts.end();
  if (!usual || security > kSmtpSecurity.max) return std::nullopt;
  return UsualSmtpPort(static_cast<SmtpSecurity>(security));
}

}  // namespace tarnwick
