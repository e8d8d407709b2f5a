// What Majordomo accepts as the value of each configuration key. A configuration holding one
// value it rejects is refused whole by the server, so a value is checked where it is entered.
#pragma once

#include <cstddef>

#include "core/config/majordomo_config.h"
#include "core/platform/refusal.h"

namespace tarnwick {

// Nothing when Majordomo takes the key's value as it will be written, or the reason (UTF-8,
// naming the key) when it would reject it or read it otherwise.
Refusal CheckConfigValue(std::size_t key, const ConfigValue& value);

}  // namespace tarnwick
