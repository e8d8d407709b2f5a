#include "compose/file_content.h"

#include <fstream>
#include <optional>

#include "platform/fs_path.h"

namespace tarnwick {

FileContent AppendFileContent(std::string_view cp932Path, std::string& text) {
  const std::optional<std::filesystem::path> path = ToFsPath(cp932Path);
  if (!path || cp932Path.empty()) return FileContent::Appended;
  std::ifstream in(*path, std::ios::binary);
  if (!in.is_open()) return FileContent::Appended;
  std::string content;
  char chunk[1023];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    const std::string_view read(chunk, static_cast<std::size_t>(in.gcount()));
    // A zero byte ends the chunk as text: the rest of this chunk is lost, the next one counts.
    content += read.substr(0, read.find('\0'));
    if (content.size() > kMaxFileContentBytes) return FileContent::TooLarge;
  }
  text += content;
  return FileContent::Appended;
}

}  // namespace tarnwick
