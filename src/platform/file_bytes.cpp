#include "platform/file_bytes.h"

#include <fstream>
#include <system_error>

namespace tarnwick {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file,
                                         std::uintmax_t maxBytes) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > maxBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace tarnwick
