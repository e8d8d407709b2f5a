// The held posts and requests of the lists, kept in "<mail box>/.held/": each item once, however
// often its notice is fetched, with a number for the command line, its state and why. The items'
// fields are records of one journal ("items"), each write of them one append of whole records
// and one sync; the held posts are appended to one file of posts ("posts"), each item's record
// naming where its post is. A record cut off by a crash is skipped, so what was there before
// still reads; the journal is written anew whole (into a scratch file renamed over it) when it
// is damaged or mostly superseded records. The store's first shape, a file of fields and a file
// of the post for each item, is moved into the journal when the store is opened, ids and all.
// Copies of the program that write at once take a lock file in turn; the new items of the one
// that writes later take numbers after the other's.
// The folder is private (a wrong-password notice quotes what was tried, and the posts are the
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
#include "core/moderation/held_record.h"
#include "core/platform/file_replace.h"

namespace tarnwick {

inline constexpr std::string_view kHeldFolderName = ".held";

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

  // Writes the fields of the item of that key as they are now, its number, kind and Message-IDs
  // staying (and keeps them so); 0 or the errno.
  int Update(const HeldItem& item);

  // With Later, what Take and Update write goes on disk only once Sync is called: a fetch of
  // thousands of notices, or a thousand answers, is one append to each file and one sync of
  // each. Items read back as written at once.
  void SetDurability(Durability durability) { durability_ = durability; }
  Durability durability() const { return durability_; }
  // 0 or the errno; what could not be written stays to be written by the next Sync.
  int Sync();

  // The held post of the item as kept; nothing when it can't be read.
  std::optional<std::string> PostOf(const HeldItem& item) const;

  // The item of the held post that carries the Message-ID ("<...>"); nothing when none does.
  const HeldItem* ItemOfMessageId(std::string_view messageId) const;
  // The item of the number; nothing when none has it.
  const HeldItem* ItemOfId(std::uint64_t id) const;

 private:
  explicit HeldStore(std::filesystem::path folder) : folder_(std::move(folder)) {}
  void Keep(HeldRecord record, bool written);
  void Index(std::size_t index);
  void ForgetLast();
  HeldItem* Find(const std::string& key);
  HeldItem* Concerned(const HeldNotice& outcome);
  void MarkUnwritten(std::size_t index);
  void NumberAfterOthers();
  int WriteOut(bool whole);
  int SavePosts();

  std::filesystem::path folder_;
  std::vector<HeldItem> items_;
  std::vector<PostPlace> posts_;  // where each item's post is in the file of posts
  // The held posts' Message-IDs, each to its item's place in items_: a fetch asks it of every
  // list mail.
  std::map<std::string, std::size_t, std::less<>> byMessageId_;
  std::unordered_map<std::string, std::size_t> byKey_;    // each item's place in items_
  std::unordered_map<std::uint64_t, std::size_t> byId_;   // the first item of each number
  std::vector<std::size_t> unwritten_;                    // items whose record is not on disk
  std::vector<bool> isUnwritten_;                         // by place in items_
  std::unordered_map<std::size_t, std::string> unsaved_;  // posts not in the file of posts yet
  Durability durability_ = Durability::Now;
  std::uint64_t lastId_ = 0;
  std::uint64_t journalEnd_ = 0;  // the journal's size when this store last read or wrote it
};

// Whether the item is of the registered list: its server kind, host and name.
bool IsOfList(const HeldItem& item, const MailingList& list);

// The key of the item a notice brings.
std::string HeldKey(const HeldNotice& notice);

}  // namespace tarnwick
