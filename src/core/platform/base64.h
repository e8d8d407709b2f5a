// Base64 (RFC 4648) for the logins of mail protocols.
#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

std::string Base64(std::string_view bytes);

}  // namespace tarnwick
