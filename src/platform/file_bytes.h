// Reading a whole file of outside input, bounded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

// The file's bytes, or nothing when it can't be read or is larger than `maxBytes`.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                         std::uintmax_t maxBytes);

}  // namespace tarnwick
