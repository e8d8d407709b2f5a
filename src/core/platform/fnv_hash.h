// FNV-1a, 64 bits, and its hexadecimal form: a fast sum that tells changed or torn bytes apart,
// not forged ones. What it sums is kept in files, so the sum never changes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// The value's last `digits` hexadecimal digits, in lower case, zeros in front.
inline std::string HexDigits(std::uint64_t value, int digits) {
  std::string hex(static_cast<std::size_t>(digits), '0');
  for (std::size_t i = hex.size(); i-- > 0; value >>= 4)
    hex[i] = "0123456789abcdef"[value & 0xf];
  return hex;
}

class Fnv1a {
 public:
  Fnv1a& Add(std::string_view bytes) {
    for (const char c : bytes)
      AddByte(static_cast<unsigned char>(c));
    return *this;
  }
  Fnv1a& AddByte(unsigned char byte) {
    hash_ ^= byte;
    hash_ *= 0x100000001b3ull;
    return *this;
  }
  std::string Hex() const { return HexDigits(hash_, 16); }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

}  // namespace tarnwick
