#include "core/compose/file_content.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "core/platform/file_bytes.h"
#include "core/platform/fs_path.h"
#include "core/platform/text_codec.h"

namespace tarnwick {

namespace {

// "52.4 MB": how a file manager shows it.
std::string SizeText(const std::optional<std::filesystem::path>& path) {
  std::error_code error;
  const std::uintmax_t bytes = path ? std::filesystem::file_size(*path, error) : 0;
  if (!path || error) return {};
  char text[32];
  std::snprintf(text, sizeof text, " (%.1f MB)", static_cast<double>(bytes) / 1e6);
  return text;
}

}  // namespace

FileContent ReadFileContent(std::string_view cp932Path) {
  return ReadTextFile(cp932Path, kMaxFileContentBytes);
}

FileContent ReadTextFile(std::string_view cp932Path, std::uintmax_t maxBytes) {
  FileContent content;
  if (cp932Path.empty()) {
    content.refusal = "送るﾌｧｲﾙが指定されていません";
    return content;
  }
  const std::string named = "ﾌｧｲﾙ「" + Cp932ToUtf8(cp932Path) + "」";
  const std::optional<std::filesystem::path> path = ToFsPath(cp932Path);
  FileBytes read = path ? ReadRegularFile(*path, maxBytes) : FileBytes{};
  switch (read.status) {
    case FileBytes::Read:
      if (read.bytes.find('\0') != std::string::npos) {
        content.refusal = named + "はﾃｷｽﾄﾌｧｲﾙではありません (NUL文字を含んでいます)";
      } else {
        content.bytes = std::move(read.bytes);
      }
      break;
    case FileBytes::OpenFailed:
    case FileBytes::ReadFailed:
      content.refusal = named + "が読めません\n" +
                        (read.error != 0 ? std::strerror(read.error) : "ﾊﾟｽが正しくありません");
      break;
    case FileBytes::NotRegular:
      content.refusal = named + "は通常のﾌｧｲﾙではありません";
      break;
    case FileBytes::TooLarge:
      content.refusal = named + "は大きすぎます" + SizeText(path) + "\n" +
                        std::to_string(maxBytes >> 20) + " MiBまでのﾌｧｲﾙが読めます";
      break;
  }
  return content;
}

}  // namespace tarnwick
