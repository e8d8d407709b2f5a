// A list server's notice to the moderator: whatever it reads as, its held post travels on byte
// for byte, and the item it makes reads back from the held store as it was kept.
#include <cstddef>
#include <cstdint>

#include "core/moderation/held_notice.h"
#include "core/moderation/held_store.h"
#include "fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::fuzz::Require;

// The held post in a Majordomo notice of its own reads back as the same bytes: masking a
// password again changes nothing, and nothing else is touched.
void CheckPostTravels(const tarnwick::HeldNotice& notice) {
  if (notice.post.empty()) return;
  const std::string again =
      "From: owner-l@h\nSubject: BOUNCE l@h: Approval required:\n\n" + notice.post;
  const std::optional<tarnwick::HeldNotice> bounce = tarnwick::ReadHeldNotice(again);
  Require(bounce.has_value() && bounce->post == notice.post, "a held post is carried as it is");
}

void CheckKeptItem(const tarnwick::HeldNotice& notice) {
  if (notice.outcome != tarnwick::NoticeOutcome::None) return;
  const fs::path box = tarnwick::fuzz::Scratch() / "box";
  std::error_code ec;
  fs::remove_all(box, ec);
  fs::create_directories(box);
  std::string failure;
  std::optional<tarnwick::HeldStore> store = tarnwick::HeldStore::Open(box.string(), failure);
  Require(store.has_value(), "the scratch box takes a held store");
  int error = 0;
  Require(store->Take(notice, 0, error) == tarnwick::HeldStore::Taken::Added && error == 0,
          "a notice of a list is kept");
  const std::optional<tarnwick::HeldStore> reloaded =
      tarnwick::HeldStore::Open(box.string(), failure);
  Require(reloaded && reloaded->items().size() == 1, "the kept item reads back");
  const tarnwick::HeldItem& item = reloaded->items()[0];
  Require(item.sender == notice.sender && item.subject == notice.subject &&
              item.reason == notice.reason && item.fmlId == notice.fmlId &&
              item.date == notice.date && item.key == tarnwick::HeldKey(notice),
          "the item's fields read back as kept");
  Require(reloaded->PostOf(item) == notice.post, "the held post reads back whole");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<tarnwick::HeldNotice> notice =
      tarnwick::ReadHeldNotice(tarnwick::fuzz::AsText(data, size));
  if (!notice) return 0;
  CheckPostTravels(*notice);
  CheckKeptItem(*notice);
  return 0;
}
