// Reading a registry export of Windows' regedit: "REGEDIT4" files in the ANSI code page
// (Shift_JIS here) and "Windows Registry Editor Version 5.00" files in UTF-16LE with a BOM; keys,
// strings with their escapes, dword: and hex(…): values, lines continued with a backslash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Larger than any export of one program's settings.
inline constexpr std::size_t kMaxRegFileBytes = 16u << 20;

struct RegValue {
  std::string name;                     // UTF-8; empty for the key's default value ("@")
  std::optional<std::string> text;      // REG_SZ or REG_EXPAND_SZ, UTF-8
  std::optional<std::uint32_t> number;  // REG_DWORD
};

struct RegKey {
  std::string path;  // as written between the brackets, UTF-8
  std::vector<RegValue> values;
};

struct RegFile {
  std::vector<RegKey> keys;
  std::size_t badLine = 0;  // the line (from 1) that was not understood; 0 when all was
  std::string reason;       // why not (UTF-8)
};

RegFile ParseRegFile(std::string_view bytes);

}  // namespace tarnwick
