#include "core/moderation/held_store.h"

#include <openssl/evp.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <map>

#include "core/analyze/mime_mail.h"
#include "core/moderation/raw_mail.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "core/platform/file_replace.h"
#include "core/platform/fs_path.h"
#include "core/platform/private_folder.h"
#include "core/platform/text_codec.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kItemExtension = ".item";
constexpr std::string_view kPostExtension = ".eml";
// An item's fields are a few lines of a few KiB at most; a larger file is none of ours.
constexpr std::uintmax_t kMaxItemBytes = 1 << 20;
// A held post is never larger than the notice that carried it.
constexpr std::uintmax_t kMaxHeldPostBytes = kMaxReturnedMailBytes;

// Tabs and line breaks of a value escaped: one field a line.
std::string Escaped(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char c = value[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

template <typename Number>
std::optional<Number> NumberOf(std::string_view text) {
  Number number{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// An enum stored as its number, within its range.
template <typename Enum>
bool EnumOf(const std::string& text, int last, Enum& value) {
  const std::optional<int> number = NumberOf<int>(text);
  if (!number || *number < 0 || *number > last) return false;
  value = static_cast<Enum>(*number);
  return true;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words)
    text += (text.empty() ? "" : " ") + word;
  return text;
}

std::vector<std::string> Split(std::string_view text) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    if (end > at) words.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

std::string Formatted(const HeldItem& item) {
  const std::pair<std::string_view, std::string> fields[] = {
      {"id", std::to_string(item.id)},
      {"key", item.key},
      {"state", std::to_string(static_cast<int>(item.state))},
      {"state-reason", item.stateReason},
      {"form", std::to_string(static_cast<int>(item.form))},
      {"server", std::to_string(static_cast<int>(item.server))},
      {"list", item.list},
      {"host", item.host},
      {"kind", std::to_string(static_cast<int>(item.kind))},
      {"sender", item.sender},
      {"subject", item.subject},
      {"date", item.date ? std::to_string(*item.date) : std::string()},
      {"arrived", std::to_string(item.arrived)},
      {"reason", item.reason},
      {"requester", item.requester},
      {"fml-id", item.fmlId},
      {"message-ids", Joined(item.messageIds)},
      {"answer-id", item.answerId},
      {"post-whole", item.postWhole ? "1" : "0"},
  };
  std::string text;
  for (const auto& [name, value] : fields)
    text += std::string(name) + "\t" + Escaped(value) + "\n";
  return text;
}

std::map<std::string, std::string, std::less<>> FieldsOf(std::string_view text) {
  std::map<std::string, std::string, std::less<>> fields;
  ForEachLine(text, [&](std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab != std::string_view::npos)
      fields.emplace(std::string(line.substr(0, tab)), Unescaped(line.substr(tab + 1)));
  });
  return fields;
}

std::optional<HeldItem> Parsed(std::string_view text) {
  auto fields = FieldsOf(text);
  HeldItem item;
  const std::optional<std::uint64_t> id = NumberOf<std::uint64_t>(fields["id"]);
  const std::optional<std::int64_t> arrived = NumberOf<std::int64_t>(fields["arrived"]);
  if (!id || !arrived || fields["key"].empty() ||
      !EnumOf(fields["state"], static_cast<int>(HeldState::Failed), item.state) ||
      !EnumOf(fields["form"], static_cast<int>(NoticeForm::FmlSubscribe), item.form) ||
      !EnumOf(fields["server"], static_cast<int>(ServerKind::Fml), item.server) ||
      !EnumOf(fields["kind"], static_cast<int>(HeldKind::Unsubscribe), item.kind))
    return std::nullopt;
  item.id = *id;
  item.arrived = static_cast<std::time_t>(*arrived);
  if (const auto date = NumberOf<std::int64_t>(fields["date"])) item.date = *date;
  item.key = fields["key"];
  item.stateReason = fields["state-reason"];
  item.list = fields["list"];
  item.host = fields["host"];
  item.sender = fields["sender"];
  item.subject = fields["subject"];
  item.reason = fields["reason"];
  item.requester = fields["requester"];
  item.fmlId = fields["fml-id"];
  item.messageIds = Split(fields["message-ids"]);
  item.answerId = fields["answer-id"];
  item.postWhole = fields["post-whole"] != "0";
  return item;
}

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

}  // namespace

std::string_view HeldStateText(HeldState state) {
  switch (state) {
    case HeldState::Pending:
      return "保留中";
    case HeldState::Awaiting:
      return "承認待ち";
    case HeldState::Approved:
      return "承認済み";
    case HeldState::Rejected:
      return "却下";
    case HeldState::Discarded:
      return "破棄";
    case HeldState::Failed:
      return "失敗";
  }
  return "";
}

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
  HeldStore store(folder);
  store.Load();
  return store;
}

void HeldStore::Load() {
  std::error_code ec;
  for (fs::directory_iterator entry(folder_, ec), end; !ec && entry != end; entry.increment(ec)) {
    if (entry->path().extension() != kItemExtension) continue;
    const std::optional<std::string> text = ReadWholeFile(entry->path(), kMaxItemBytes);
    std::optional<HeldItem> item = text ? Parsed(*text) : std::nullopt;
    if (!item || entry->path().stem() != item->key) continue;
    lastId_ = std::max(lastId_, item->id);
    items_.push_back(std::move(*item));
  }
  std::sort(items_.begin(), items_.end(),
            [](const HeldItem& a, const HeldItem& b) { return a.id < b.id; });
  for (std::size_t index = 0; index < items_.size(); ++index)
    Index(index);
}

void HeldStore::Index(std::size_t index) {
  byKey_.emplace(items_[index].key, index);
  if (items_[index].kind != HeldKind::Post) return;
  for (const std::string& id : items_[index].messageIds)
    byMessageId_.emplace(id, index);
}

const HeldItem* HeldStore::ItemOfMessageId(std::string_view messageId) const {
  const auto found = byMessageId_.find(messageId);
  return found == byMessageId_.end() ? nullptr : &items_[found->second];
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
  item.id = lastId_ + 1;
  // The post first: an item is never kept without its post.
  if ((error = Write(folder_ / (item.key + std::string(kPostExtension)), notice.post)) ||
      (error = Update(item)))
    return Taken::Ignored;
  lastId_ = item.id;
  items_.push_back(std::move(item));
  Index(items_.size() - 1);
  return Taken::Added;
}

int HeldStore::Update(const HeldItem& item) {
  const int error = Write(folder_ / (item.key + std::string(kItemExtension)), Formatted(item));
  if (HeldItem* kept = Find(item.key); kept != nullptr && error == 0) *kept = item;
  return error;
}

int HeldStore::Write(const fs::path& file, std::string_view content) {
  return durability_ == Durability::Later ? batch_.Write(file, content)
                                          : WriteWholeFile(file, content);
}

int HeldStore::Sync() {
  return batch_.Commit();
}

std::optional<std::string> HeldStore::PostOf(const HeldItem& item) const {
  return ReadWholeFile(folder_ / (item.key + std::string(kPostExtension)), kMaxHeldPostBytes);
}

}  // namespace tarnwick
