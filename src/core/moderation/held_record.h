// A held item and its fields as one record of the held store: a line a field, "name<TAB>value",
// with tabs, line breaks and backslashes of a value escaped. The same lines made each item's
// file in the store's first shape, which is still read.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/moderation/held_notice.h"

namespace tarnwick {

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

// Where an item's held post is in the store's file of posts.
struct PostPlace {
  bool kept = false;  // false: no post was kept (it could not be read when the store moved)
  std::uint64_t at = 0;
  std::uint64_t size = 0;
  std::string sum;  // ChecksumHex of the post
};

struct HeldRecord {
  HeldItem item;
  PostPlace post;
};

std::string FormatHeldRecord(const HeldItem& item, const PostPlace& post);

// The record, or nothing when a field it can't be without is missing or out of its range, or
// the post's place is none a post of at most `maxPostBytes` can have.
std::optional<HeldRecord> ParseHeldRecord(std::string_view text, std::uint64_t maxPostBytes);

}  // namespace tarnwick
