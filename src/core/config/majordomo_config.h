// A Majordomo list configuration file: the 45 keys this program edits, read as Majordomo reads
// them and written back into that same file, the lines of changed keys replaced, every other
// line kept byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/config/config_keys.h"

namespace tarnwick {

struct ConfigValue {
  bool present = false;  // at least one line of the file carried the key
  std::string text;      // text; block: each element followed by CR LF
  int yesNo = -1;        // 0 yes, 1 no, -1 neither
  std::int32_t number = 0;
  bool useDefault = false;  // optional number: the key carries no number
};

// A configuration file is a few kilobytes; a larger one than this is not one.
inline constexpr std::uintmax_t kMaxConfigFileBytes = 16u << 20;

enum class ConfigSave { Saved, NotLoaded, Failed };

class MajordomoConfig {
 public:
  // Fills the values from the file; false (and defaults) when it can't be read.
  bool Load(const std::filesystem::path& file);

  // Rewrites the loaded file with the current values, whole or not at all (through a link to the
  // file it names); `error` gets the errno of a failure.
  ConfigSave Save(int& error) const;

  const std::filesystem::path& path() const { return path_; }
  ConfigValue& value(std::size_t index) { return values_.at(index); }
  const ConfigValue& value(std::size_t index) const { return values_.at(index); }
  ConfigValue& value(std::string_view name) { return values_.at(FindConfigKey(name).value()); }

  // Whether the key's value differs from the one loaded (blocks by their elements): only the
  // lines of changed keys are rewritten, every other line stays byte for byte.
  bool Changed(std::size_t index) const;

 private:
  std::filesystem::path path_;
  std::array<ConfigValue, kConfigKeyCount> values_;
  std::array<ConfigValue, kConfigKeyCount> loaded_;
};

}  // namespace tarnwick
