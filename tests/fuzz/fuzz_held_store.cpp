// The held store's files as anything may have left them: the journal of items and the file of
// posts (the input, cut at a separator line). Whatever they hold, the store opens or refuses
// clearly, reads the same items when opened again, and takes a new item that reads back.
#include <cstddef>
#include <cstdint>

#include "core/moderation/held_store.h"
#include "fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::fuzz::Require;

std::vector<std::pair<std::uint64_t, std::string>> IdsAndKeys(const tarnwick::HeldStore& store) {
  std::vector<std::pair<std::uint64_t, std::string>> items;
  for (const tarnwick::HeldItem& item : store.items()) {
    items.emplace_back(item.id, item.key);
    (void)store.PostOf(item);
  }
  return items;
}

void CheckNewItem(tarnwick::HeldStore& store, const fs::path& box) {
  tarnwick::HeldNotice notice;
  notice.list = "l";
  notice.host = "h";
  notice.post = "From: a@b\n\nbody\n";
  notice.messageIds = {"<fuzz@h>"};
  int error = 0;
  const tarnwick::HeldStore::Taken taken = store.Take(notice, 0, error);
  if (taken != tarnwick::HeldStore::Taken::Added) return;  // the input held that item already
  Require(error == 0, "a new item is written after whatever was there");
  std::string failure;
  const std::optional<tarnwick::HeldStore> again = tarnwick::HeldStore::Open(box.string(), failure);
  const tarnwick::HeldItem* item = again ? again->ItemOfMessageId("<fuzz@h>") : nullptr;
  Require(item != nullptr && again->PostOf(*item) == notice.post, "the new item reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> pieces =
      tarnwick::fuzz::Pieces(tarnwick::fuzz::AsText(data, size), "\n--posts--\n");
  const fs::path box = tarnwick::fuzz::Scratch() / "box";
  std::error_code ec;
  fs::remove_all(box, ec);
  tarnwick::fuzz::WriteFile(box / ".held" / "items", pieces[0]);
  if (pieces.size() > 1) tarnwick::fuzz::WriteFile(box / ".held" / "posts", pieces[1]);
  std::string failure;
  std::optional<tarnwick::HeldStore> store = tarnwick::HeldStore::Open(box.string(), failure);
  if (!store) {
    Require(!failure.empty(), "a store refused says why");
    return 0;
  }
  const auto first = IdsAndKeys(*store);
  const std::optional<tarnwick::HeldStore> reopened =
      tarnwick::HeldStore::Open(box.string(), failure);
  Require(reopened && IdsAndKeys(*reopened) == first, "the store reads the same when opened again");
  CheckNewItem(*store, box);
  return 0;
}
