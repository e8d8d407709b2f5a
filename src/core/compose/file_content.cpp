#include "core/compose/file_content.h"

#include <cstring>
#include <optional>

#include "core/platform/file_bytes.h"
#include "core/platform/fs_path.h"
#include "core/platform/text_codec.h"

namespace tarnwick {

FileContent ReadFileContent(std::string_view cp932Path) {
  FileContent content;
  if (cp932Path.empty()) {
    content.refusal = "送るﾌｧｲﾙが指定されていません";
    return content;
  }
  const std::string named = "ﾌｧｲﾙ「" + Cp932ToUtf8(cp932Path) + "」";
  const std::optional<std::filesystem::path> path = ToFsPath(cp932Path);
  FileBytes read = path ? ReadRegularFile(*path, kMaxFileContentBytes) : FileBytes{};
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
      content.refusal = named + "は大きすぎてﾒｰﾙで送れません";
      break;
  }
  return content;
}

}  // namespace tarnwick
