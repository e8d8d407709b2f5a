#include "core/moderation/held_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/platform/ascii.h"
#include "core/platform/file_bytes.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kItemExtension = ".item";
constexpr std::string_view kPostExtension = ".eml";
constexpr std::size_t kKeySize = 32;
// An item's fields are a few lines of a few KiB at most; a larger file is none of ours.
constexpr std::uintmax_t kMaxItemBytes = 1 << 20;

bool IsKey(std::string_view text) {
  return text.size() == kKeySize && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// "<key>.item" or "<key>.eml": the key, else nothing.
std::optional<std::string> FirstShapeKey(std::string_view name, std::string_view extension) {
  if (!name.ends_with(extension)) return std::nullopt;
  name.remove_suffix(extension.size());
  if (!IsKey(name)) return std::nullopt;
  return std::string(name);
}

// ".<file>.XXXXXX", the name mkstemp gives the scratch file of <file>, for the store's files.
bool IsScratchName(std::string_view name) {
  constexpr std::size_t kRandom = 6;
  if (name.size() < 2 + kRandom + 1 || name[0] != '.' || name[name.size() - kRandom - 1] != '.' ||
      !std::all_of(name.end() - kRandom, name.end(), [](char c) { return IsAsciiAlnum(c); }))
    return false;
  const std::string_view file = name.substr(1, name.size() - kRandom - 2);
  return file == "items" || FirstShapeKey(file, kItemExtension) ||
         FirstShapeKey(file, kPostExtension);
}

}  // namespace

std::vector<std::string> TidyHeldFolder(const fs::path& folder, std::time_t now) {
  std::vector<std::string> keys;
  std::error_code ec;
  for (fs::directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec)) {
    const std::string name = entry->path().filename().string();
    // Only regular files: a link is never read, nor is what it names removed.
    struct stat info {};
    if (lstat(entry->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (std::optional<std::string> key = FirstShapeKey(name, kItemExtension))
      keys.push_back(std::move(*key));
    else if (IsScratchName(name) && info.st_mtime < now - kHeldScratchAge)
      unlink(entry->path().c_str());
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

std::optional<FirstShapeItem> ReadFirstShapeItem(const fs::path& folder, const std::string& key,
                                                 std::uint64_t maxPostBytes) {
  const std::optional<std::string> text =
      ReadWholeFile(folder / (key + std::string(kItemExtension)), kMaxItemBytes);
  std::optional<HeldRecord> record = text ? ParseHeldRecord(*text, 0) : std::nullopt;
  if (!record || record->item.key != key) return std::nullopt;
  return FirstShapeItem{std::move(record->item),
                        ReadWholeFile(folder / (key + std::string(kPostExtension)), maxPostBytes)};
}

void RemoveFirstShapeItem(const fs::path& folder, const std::string& key) {
  unlink((folder / (key + std::string(kItemExtension))).c_str());
  unlink((folder / (key + std::string(kPostExtension))).c_str());
}

}  // namespace tarnwick
