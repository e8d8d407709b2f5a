// Passwords in the desktop's secret service (GNOME Keyring, KWallet: the freedesktop Secret
// Service), each under an id of ours, so the settings file keeps only the id. Where no service
// answers on the session bus (a headless session, CI), nothing is stored there and callers keep
// the password in the settings file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::secrets {

// Whether a secret service answers; asked once per program run.
bool Available();

// A new id for a password: 16 hexadecimal digits from the kernel's generator.
std::string NewId();

bool Store(std::string_view id, std::string_view label, std::string_view password);
// Nothing when there is no such password or no service.
std::optional<std::string> Lookup(std::string_view id);

}  // namespace tarnwick::secrets
