#include "core/moderation/held_store.h"

#include <openssl/evp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "core/analyze/mime_mail.h"
#include "core/moderation/held_folder.h"
#include "core/moderation/raw_mail.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "core/platform/file_replace.h"
#include "core/platform/fs_path.h"
#include "core/platform/private_folder.h"
#include "core/platform/record_log.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kJournalName = "items";
constexpr std::string_view kPostsName = "posts";
constexpr std::string_view kLockName = "lock";
constexpr std::string_view kJournalHeader = "tarnwick held store 1\n";
constexpr std::string_view kHeaderStart = "tarnwick held store ";
// A held post is never larger than the notice that carried it.
constexpr std::uintmax_t kMaxHeldPostBytes = kMaxReturnedMailBytes;
// An item's fields are a few lines of a few KiB at most; a larger record is none of ours.
constexpr std::size_t kMaxRecordBytes = 1 << 20;
// Hundreds of thousands of items; a larger journal is none of ours, and is not read.
constexpr std::uintmax_t kMaxJournalBytes = std::uintmax_t{256} << 20;
// The journal is written anew once its superseded records outnumber the items and this.
constexpr std::size_t kCompactAfter = 64;

std::string Sha256Hex(std::string_view bytes, std::size_t hexDigits) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size && hex.size() < hexDigits; ++i)
    hex += {kHex[digest[i] >> 4], kHex[digest[i] & 15]};
  return hex;
}

HeldItem ItemOf(const HeldNotice& notice, std::time_t fetched) {
  HeldItem item;
  item.key = HeldKey(notice);
  item.form = notice.form;
  item.server = notice.server;
  item.list = notice.list;
  item.host = LowerAscii(notice.host);
  item.kind = notice.kind;
  item.sender = notice.sender;
  item.subject = notice.subject;
  item.date = notice.date;
  item.arrived = notice.noticeDate.value_or(fetched);
  item.reason = notice.reason;
  item.requester = notice.requester;
  item.fmlId = notice.fmlId;
  item.messageIds = notice.messageIds;
  item.postWhole = notice.postWhole;
  return item;
}

bool SameList(const HeldItem& item, const HeldNotice& notice) {
  return item.server == notice.server && item.host == LowerAscii(notice.host) &&
         EqualsCp932IgnoreCase(item.list, notice.list);
}

bool Names(const std::vector<std::string>& ids, const std::string& id) {
  return !id.empty() && std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Whether the outcome is of an approval sent for the item.
bool Concerns(const HeldItem& item, const HeldNotice& outcome) {
  if (!SameList(item, outcome)) return false;
  const bool sameId = !item.fmlId.empty() && item.fmlId == outcome.fmlId;
  switch (outcome.outcome) {
    case NoticeOutcome::Resent:
      // Another moderator's approval too takes the item off the waiting ones.
      return sameId && (item.state == HeldState::Pending || item.state == HeldState::Awaiting);
    case NoticeOutcome::NoSuchId:
      return sameId && item.state == HeldState::Awaiting;
    case NoticeOutcome::ApprovalRefused:
      // Majordomo refuses a delivered approval: "sent" was not the end of it.
      return (item.state == HeldState::Awaiting || item.state == HeldState::Approved) &&
             (sameId || Names(outcome.messageIds, item.answerId) ||
              std::any_of(item.messageIds.begin(), item.messageIds.end(),
                          [&](const std::string& id) { return Names(outcome.messageIds, id); }));
    case NoticeOutcome::None:
      return false;
  }
  return false;
}

// An item as the store was read: from the journal, or of the first shape with its post.
struct Loaded {
  HeldRecord record;
  bool written = true;
  std::optional<std::string> post;  // a first-shape item's, to be saved
};

struct Reading {
  std::vector<Loaded> items;
  std::unordered_map<std::string, std::size_t> byKey;
  std::size_t superseded = 0;
  bool damaged = false;  // bytes of the journal that are no whole record of an item
  std::uint64_t journalSize = 0;
  std::vector<std::string> moved;  // first-shape keys whose items are in the journal once written
};

std::string Unusable(const fs::path& folder, std::string_view why) {
  return "保留ﾒｰﾙの保存ﾌｧｲﾙ(" + (folder / kJournalName).string() +
         ")を読めません: " + std::string(why);
}

// Whether the bytes begin with the whole first line of a journal of another shape.
bool OfAnotherShape(std::string_view bytes) {
  const std::size_t end = bytes.find('\n');
  return bytes.starts_with(kHeaderStart) && end != std::string_view::npos &&
         bytes.substr(0, end + 1) != kJournalHeader;
}

void Gather(HeldRecord record, Reading& reading) {
  const auto [at, added] = reading.byKey.emplace(record.item.key, reading.items.size());
  if (added) {
    reading.items.push_back({std::move(record), true, std::nullopt});
  } else {
    reading.items[at->second].record = std::move(record);
    ++reading.superseded;
  }
}

// The journal's items, the last record of each standing; why it can't be read, else empty.
std::string ReadJournal(const fs::path& folder, Reading& reading) {
  const fs::path journal = folder / kJournalName;
  struct stat info {};
  if (lstat(journal.c_str(), &info) != 0)
    return errno == ENOENT ? std::string() : Unusable(folder, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return Unusable(folder, "ﾌｧｲﾙではありません");
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxJournalBytes)
    return Unusable(folder, "大きすぎます");
  const FileBytes read = ReadRegularFile(journal, kMaxJournalBytes);
  if (read.status == FileBytes::TooLarge) return Unusable(folder, "大きすぎます");
  if (read.status != FileBytes::Read) return Unusable(folder, std::strerror(read.error));
  std::string_view bytes = read.bytes;
  reading.journalSize = bytes.size();
  if (OfAnotherShape(bytes)) return Unusable(folder, "この版の知らない形式です");
  if (bytes.starts_with(kJournalHeader))
    bytes.remove_prefix(kJournalHeader.size());
  else
    reading.damaged = !bytes.empty();
  const LoggedRecords records = ReadRecords(bytes, kMaxRecordBytes);
  reading.damaged = reading.damaged || records.damagedBytes != 0;
  for (const std::string_view payload : records.payloads) {
    std::optional<HeldRecord> record = ParseHeldRecord(payload, kMaxHeldPostBytes);
    if (record)
      Gather(std::move(*record), reading);
    else
      reading.damaged = true;
  }
  return {};
}

// The items of the first shape not in the journal yet, with their ids unless another item
// took one (then a new one).
void ReadFirstShape(const fs::path& folder, const std::vector<std::string>& keys,
                    Reading& reading) {
  std::unordered_set<std::uint64_t> ids;
  std::uint64_t lastId = 0;
  for (const Loaded& loaded : reading.items) {
    ids.insert(loaded.record.item.id);
    lastId = std::max(lastId, loaded.record.item.id);
  }
  std::vector<Loaded> found;
  for (const std::string& key : keys) {
    if (reading.byKey.contains(key)) {
      reading.moved.push_back(key);  // moved before; a crash left its files
      continue;
    }
    std::optional<FirstShapeItem> old = ReadFirstShapeItem(folder, key, kMaxHeldPostBytes);
    if (!old) continue;  // damaged: left as it was, never an item
    reading.moved.push_back(key);
    found.push_back({{std::move(old->item), {}}, false, std::move(old->post)});
    lastId = std::max(lastId, found.back().record.item.id);
  }
  for (Loaded& loaded : found) {
    if (!ids.insert(loaded.record.item.id).second) loaded.record.item.id = ++lastId;
    reading.byKey.emplace(loaded.record.item.key, reading.items.size());
    reading.items.push_back(std::move(loaded));
  }
}

}  // namespace

bool IsOfList(const HeldItem& item, const MailingList& list) {
  return item.server == list.Type && item.host == HostOf(list) &&
         EqualsCp932IgnoreCase(item.list, list.Name);
}

std::string HeldKey(const HeldNotice& notice) {
  std::string what = std::to_string(static_cast<int>(notice.server)) + "\n" +
                     LowerAscii(notice.host) + "\n" + LowerAscii(notice.list) + "\n";
  if (notice.form == NoticeForm::FmlCertify && !notice.fmlId.empty()) {
    what += "id\n" + notice.fmlId;
  } else if (notice.kind != HeldKind::Post) {
    what += "request\n" + std::to_string(static_cast<int>(notice.kind)) + "\n" +
            LowerAscii(notice.sender);
  } else {
    what += "post\n" + WithLfEnds(notice.post);
  }
  return Sha256Hex(what, 32);
}

std::optional<HeldStore> HeldStore::Open(std::string_view mailBox, std::string& failure) {
  const std::optional<fs::path> box = mailBox.empty() ? std::nullopt : ToFsPath(mailBox);
  const fs::path folder = box ? *box / kHeldFolderName : fs::path();
  if (!box || !MakePrivateFolder(folder)) {
    failure = "保留ﾒｰﾙの保存先(" + Cp932ToUtf8(std::string(mailBox)) + "/" +
              std::string(kHeldFolderName) + ")を作れません";
    return std::nullopt;
  }
  chmod(folder.c_str(), 0700);
  // Read while no other copy of the program writes, so that no write is seen half-way.
  int error = 0;
  const std::optional<FileLock> lock = FileLock::Take(folder / kLockName, error);
  Reading reading;
  failure = lock ? ReadJournal(folder, reading) : Unusable(folder, std::strerror(error));
  if (!failure.empty()) return std::nullopt;
  ReadFirstShape(folder, TidyHeldFolder(folder, std::time(nullptr)), reading);
  std::stable_sort(
      reading.items.begin(), reading.items.end(),
      [](const Loaded& a, const Loaded& b) { return a.record.item.id < b.record.item.id; });
  HeldStore store(folder);
  store.journalEnd_ = reading.journalSize;
  for (Loaded& loaded : reading.items) {
    store.Keep(std::move(loaded.record), loaded.written);
    if (loaded.post) store.unsaved_.emplace(store.items_.size() - 1, std::move(*loaded.post));
  }
  const bool whole =
      reading.damaged || reading.superseded > std::max(kCompactAfter, store.items_.size());
  // The first shape's files go only once their items are on disk in the journal.
  if (store.WriteOut(whole) == 0) {
    for (const std::string& key : reading.moved)
      RemoveFirstShapeItem(folder, key);
  }
  return store;
}

void HeldStore::Keep(HeldRecord record, bool written) {
  lastId_ = std::max(lastId_, record.item.id);
  items_.push_back(std::move(record.item));
  posts_.push_back(std::move(record.post));
  isUnwritten_.push_back(false);
  Index(items_.size() - 1);
  if (!written) MarkUnwritten(items_.size() - 1);
}

void HeldStore::Index(std::size_t index) {
  byKey_.emplace(items_[index].key, index);
  byId_.emplace(items_[index].id, index);
  if (items_[index].kind != HeldKind::Post) return;
  for (const std::string& id : items_[index].messageIds)
    byMessageId_.emplace(id, index);
}

// Undoes the Keep of the last item.
void HeldStore::ForgetLast() {
  const std::size_t index = items_.size() - 1;
  const HeldItem& item = items_[index];
  const auto forget = [index](auto& map, const auto& key) {
    if (const auto found = map.find(key); found != map.end() && found->second == index)
      map.erase(found);
  };
  forget(byKey_, item.key);
  forget(byId_, item.id);
  for (const std::string& id : item.messageIds)
    forget(byMessageId_, id);
  if (isUnwritten_[index]) unwritten_.pop_back();
  unsaved_.erase(index);
  items_.pop_back();
  posts_.pop_back();
  isUnwritten_.pop_back();
}

void HeldStore::MarkUnwritten(std::size_t index) {
  if (isUnwritten_[index]) return;
  isUnwritten_[index] = true;
  unwritten_.push_back(index);
}

const HeldItem* HeldStore::ItemOfMessageId(std::string_view messageId) const {
  const auto found = byMessageId_.find(messageId);
  return found == byMessageId_.end() ? nullptr : &items_[found->second];
}

const HeldItem* HeldStore::ItemOfId(std::uint64_t id) const {
  const auto found = byId_.find(id);
  return found == byId_.end() ? nullptr : &items_[found->second];
}

HeldItem* HeldStore::Find(const std::string& key) {
  const auto found = byKey_.find(key);
  return found == byKey_.end() ? nullptr : &items_[found->second];
}

HeldItem* HeldStore::Concerned(const HeldNotice& outcome) {
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [&](const HeldItem& item) { return Concerns(item, outcome); });
  return found == items_.end() ? nullptr : &*found;
}

HeldStore::Taken HeldStore::Take(const HeldNotice& notice, std::time_t fetched, int& error) {
  error = 0;
  if (notice.outcome != NoticeOutcome::None) {
    HeldItem* item = Concerned(notice);
    if (item == nullptr) return Taken::Ignored;
    HeldItem changed = *item;
    changed.state =
        notice.outcome == NoticeOutcome::Resent ? HeldState::Approved : HeldState::Failed;
    if (changed.state == HeldState::Failed) changed.stateReason = notice.reason;
    error = Update(changed);
    return Taken::Applied;
  }
  HeldItem item = ItemOf(notice, fetched);
  if (Find(item.key) != nullptr) return Taken::Known;
  const std::uint64_t lastId = lastId_;
  item.id = lastId_ + 1;
  Keep({std::move(item), {}}, false);
  unsaved_.emplace(items_.size() - 1, notice.post);
  if (durability_ == Durability::Now && (error = Sync()) != 0) {
    ForgetLast();
    lastId_ = lastId;
    return Taken::Ignored;
  }
  return Taken::Added;
}

int HeldStore::Update(const HeldItem& item) {
  const auto found = byKey_.find(item.key);
  if (found == byKey_.end()) return ENOENT;
  HeldItem& kept = items_[found->second];
  HeldItem before = kept;  // `item` may be `kept` itself
  kept = item;
  // What the indexes know it by stays.
  kept.id = before.id;
  kept.kind = before.kind;
  kept.messageIds = before.messageIds;
  MarkUnwritten(found->second);
  if (durability_ == Durability::Later) return 0;
  const int error = Sync();
  if (error != 0) kept = std::move(before);
  return error;
}

int HeldStore::Sync() {
  if (unwritten_.empty()) return 0;
  int error = 0;
  const std::optional<FileLock> lock = FileLock::Take(folder_ / kLockName, error);
  return lock ? WriteOut(false) : error;
}

// The posts not saved yet appended to the file of posts, in the order of their items.
int HeldStore::SavePosts() {
  if (unsaved_.empty()) return 0;
  std::vector<std::size_t> order;
  for (const auto& [index, post] : unsaved_)
    order.push_back(index);
  std::sort(order.begin(), order.end());
  std::string bytes;
  for (const std::size_t index : order)
    bytes += unsaved_[index];
  std::uint64_t at = 0;
  if (const int error = AppendDurably(folder_ / kPostsName, bytes, at)) return error;
  for (const std::size_t index : order) {
    const std::string& post = unsaved_[index];
    posts_[index] = {true, at, post.size(), ChecksumHex(post)};
    at += post.size();
  }
  unsaved_.clear();
  return 0;
}

// Another copy of the program may have added items since this store last read or wrote the
// journal (a fetch in the window while `tarnwick-cli fetch` runs): the new items of this store
// take numbers after theirs, so that no number names two items.
void HeldStore::NumberAfterOthers() {
  const fs::path journal = folder_ / kJournalName;
  struct stat info {};
  if (lstat(journal.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  // Shorter: another copy wrote it anew, and all of it is read.
  const std::uint64_t from = size >= journalEnd_ ? journalEnd_ : 0;
  if (size == journalEnd_ || size - from > kMaxJournalBytes) return;
  const std::string bytes = ReadFileRange(journal, from, size - from).value_or("");
  std::uint64_t theirs = 0;
  for (const std::string_view payload : ReadRecords(bytes, kMaxRecordBytes).payloads) {
    if (const std::optional<HeldRecord> record = ParseHeldRecord(payload, kMaxHeldPostBytes))
      theirs = std::max(theirs, record->item.id);
  }
  lastId_ = std::max(lastId_, theirs);
  std::vector<std::size_t> fresh;  // in the order they came
  for (const std::size_t index : unwritten_) {
    if (unsaved_.contains(index)) fresh.push_back(index);  // no number of it was ever on disk
  }
  if (std::none_of(fresh.begin(), fresh.end(),
                   [&](std::size_t index) { return items_[index].id <= theirs; }))
    return;
  std::uint64_t next = theirs;
  for (std::size_t index = 0; index < items_.size(); ++index) {
    if (!unsaved_.contains(index)) next = std::max(next, items_[index].id);
  }
  for (const std::size_t index : fresh) {
    HeldItem& item = items_[index];
    if (const auto found = byId_.find(item.id); found != byId_.end() && found->second == index)
      byId_.erase(found);
    item.id = ++next;
    byId_.emplace(item.id, index);
  }
  lastId_ = std::max(lastId_, next);
}

// The posts first (a record never names a post not on disk), then the records of the items not
// written yet appended, or the journal written anew with every item's; 0 or the errno.
int HeldStore::WriteOut(bool whole) {
  if (!whole && unwritten_.empty()) return 0;
  if (!whole) NumberAfterOthers();
  if (const int error = SavePosts()) return error;
  std::string records;
  const auto add = [&](std::size_t index) {
    records += FramedRecord(FormatHeldRecord(items_[index], posts_[index]));
  };
  if (whole) {
    for (std::size_t index = 0; index < items_.size(); ++index)
      add(index);
  } else {
    for (const std::size_t index : unwritten_)
      add(index);
  }
  const fs::path journal = folder_ / kJournalName;
  std::uint64_t at = 0;
  const int error = whole ? WriteWholeFile(journal, std::string(kJournalHeader) + records)
                          : AppendDurably(journal, records, at, kJournalHeader);
  if (error != 0) return error;
  journalEnd_ = (whole ? kJournalHeader.size() : at) + records.size();
  for (const std::size_t index : unwritten_)
    isUnwritten_[index] = false;
  unwritten_.clear();
  return 0;
}

std::optional<std::string> HeldStore::PostOf(const HeldItem& item) const {
  const auto found = byKey_.find(item.key);
  if (found == byKey_.end()) return std::nullopt;
  if (const auto unsaved = unsaved_.find(found->second); unsaved != unsaved_.end())
    return unsaved->second;
  const PostPlace& place = posts_[found->second];
  if (!place.kept) return std::nullopt;
  std::optional<std::string> post =
      place.size == 0 ? std::string() : ReadFileRange(folder_ / kPostsName, place.at, place.size);
  if (!post || ChecksumHex(*post) != place.sum) return std::nullopt;
  return post;
}

}  // namespace tarnwick
