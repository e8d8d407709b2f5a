#include "core/platform/fs_path.h"

#include "core/platform/text_codec.h"

namespace tarnwick {

std::optional<std::filesystem::path> ToFsPath(std::string_view cp932Path) {
  if (!IsValidCp932(cp932Path) || cp932Path.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  return std::filesystem::path(Cp932ToUtf8(cp932Path));
}

std::optional<std::string> FromFsPath(const std::filesystem::path& path) {
  Cp932Encoding encoded = Utf8ToCp932(path.native());
  if (!encoded.ok) return std::nullopt;
  return std::move(encoded.text);
}

}  // namespace tarnwick
