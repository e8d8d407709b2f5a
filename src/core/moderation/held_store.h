// The held posts and requests of the lists, kept in "<mail box>/.held/": each item once, however
// often its notice is fetched, with a number for the command line, its state and why. Each item
// is a small file of its fields beside a file of its held post, each written whole or not at all;
// the folder is private (a wrong-password notice quotes what was tried, and the posts are the
// members' mail), and never taken when a link stands in its place.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/moderation/held_notice.h"
#include "core/platform/file_batch.h"
#include "core/platform/file_replace.h"

namespace tarnwick {

inline constexpr std::string_view kHeldFolderName = ".held";

enum class HeldState {
  Pending,    // 保留中: waits for the moderator
  Awaiting,   // 承認待ち: an approval went, its outcome has not come back
  Approved,   // 承認済み
  Rejected,   // 却下
  Discarded,  // 破棄
  Failed,     // 失敗: the server refused the approval
};

// "保留中", "承認待ち", "承認済み", "却下", "破棄", "失敗".
std::string_view HeldStateText(HeldState state);

struct HeldItem {
  std::uint64_t id = 0;  // the number the command line names it by
  std::string key;       // what makes a notice the same item: its server, list and post or id
  HeldState state = HeldState::Pending;
  std::string stateReason;  // the server's words for a failed approval (UTF-8)
  NoticeForm form = NoticeForm::MajordomoBounce;
  ServerKind server = ServerKind::Majordomo;
  std::string list;  // the list's name on the server
  std::string host;
  HeldKind kind = HeldKind::Post;
  std::string sender;               // as given (a request: the address)
  std::string subject;              // as given
  std::optional<std::time_t> date;  // the held post's Date
  std::time_t arrived = 0;          // the notice's Date, else when it was fetched
  std::string reason;               // the server's words (UTF-8)
  std::string requester;
  std::string fmlId;
  std::vector<std::string> messageIds;  // of the held post
  std::string answerId;                 // the Message-ID of the approval sent for it
  bool postWhole = true;
};

class HeldStore {
 public:
  // The store of the mail box, its folder made when missing; nothing (and why, in `failure`,
  // UTF-8) when the folder can't be made or is not one of its own.
  static std::optional<HeldStore> Open(std::string_view mailBox, std::string& failure);

  // In the order they came.
  const std::vector<HeldItem>& items() const { return items_; }

  enum class Taken { Added, Known, Applied, Ignored };
  // Takes a notice of one of the lists: a new item, one already kept, an outcome applied to the
  // item it concerns, or an outcome of no item awaiting it. 0 or the errno of a write.
  Taken Take(const HeldNotice& notice, std::time_t fetched, int& error);

  // Writes the item's fields as they are now (and keeps them so); 0 or the errno.
  int Update(const HeldItem& item);

  // With Later, what Take and Update write goes into its files, on disk, only once Sync is
  // called: a fetch of thousands of notices, or a thousand answers, syncs twice instead of four
  // times an item. Items read back as written at once.
  void SetDurability(Durability durability) { durability_ = durability; }
  // 0 or the errno.
  int Sync();

  // The held post of the item as kept; nothing when it can't be read.
  std::optional<std::string> PostOf(const HeldItem& item) const;

  // The item of the held post that carries the Message-ID ("<...>"); nothing when none does.
  const HeldItem* ItemOfMessageId(std::string_view messageId) const;

 private:
  explicit HeldStore(std::filesystem::path folder) : folder_(std::move(folder)) {}
  void Load();
  HeldItem* Find(const std::string& key);
  HeldItem* Concerned(const HeldNotice& outcome);
  void Index(std::size_t index);
  int Write(const std::filesystem::path& file, std::string_view content);

  std::filesystem::path folder_;
  std::vector<HeldItem> items_;
  // The held posts' Message-IDs, each to its item's place in items_: a fetch asks it of every
  // list mail.
  std::map<std::string, std::size_t, std::less<>> byMessageId_;
  std::unordered_map<std::string, std::size_t> byKey_;  // each item's place in items_
  Durability durability_ = Durability::Now;
  FileBatch batch_;  // what was written with Durability::Later
  std::uint64_t lastId_ = 0;
};

// Whether the item is of the registered list: its server kind, host and name.
bool IsOfList(const HeldItem& item, const MailingList& list);

// The key of the item a notice brings.
std::string HeldKey(const HeldNotice& notice);

}  // namespace tarnwick
