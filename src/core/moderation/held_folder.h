// The files of the held store's folder besides the journal: the scratch files a crash left, and
// the items of the store's first shape (a "<key>.item" file of fields and a "<key>.eml" file of
// the post for each), read so that the store can move them into its journal.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/moderation/held_record.h"

namespace tarnwick {

// A scratch file younger than this may still be being written by a copy of the program.
inline constexpr std::time_t kHeldScratchAge = 60;

// Removes the scratch files of the store's own writes (".<file>.XXXXXX" of the journal or of a
// first-shape item) older than kHeldScratchAge at `now`, only regular files, never a link or what
// it names; returns the keys of the first-shape items the folder holds.
std::vector<std::string> TidyHeldFolder(const std::filesystem::path& folder, std::time_t now);

struct FirstShapeItem {
  HeldItem item;
  std::optional<std::string> post;  // nothing when its file can't be read
};

// The first-shape item of the key, read bounded; nothing when it is damaged or not of that key.
std::optional<FirstShapeItem> ReadFirstShapeItem(const std::filesystem::path& folder,
                                                 const std::string& key,
                                                 std::uint64_t maxPostBytes);

// Removes the first-shape files of the key (its fields first: a post alone is never an item).
void RemoveFirstShapeItem(const std::filesystem::path& folder, const std::string& key);

}  // namespace tarnwick
