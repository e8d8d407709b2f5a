#include "core/moderation/held_record.h"

#include <algorithm>
#include <array>

#include "core/platform/text_lines.h"
#include "core/platform/whole_number.h"

namespace tarnwick {
namespace {

// The fields of a record, in the order they are written.
enum Field {
  kId,
  kKey,
  kState,
  kStateReason,
  kForm,
  kServer,
  kList,
  kHost,
  kKind,
  kSender,
  kSubject,
  kDate,
  kArrived,
  kReason,
  kRequester,
  kFmlId,
  kMessageIds,
  kAnswerId,
  kPostWhole,
  kPostAt,
  kPostSize,
  kPostSum,
  kFields
};

constexpr std::array<std::string_view, kFields> kNames = {
    "id",         "key",     "state",     "state-reason", "form",        "server",
    "list",       "host",    "kind",      "sender",       "subject",     "date",
    "arrived",    "reason",  "requester", "fml-id",       "message-ids", "answer-id",
    "post-whole", "post-at", "post-size", "post-sum"};

using Values = std::array<std::string, kFields>;

// Tabs and line breaks of a value escaped: one field a line.
void AppendEscaped(std::string& out, std::string_view value) {
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
}

std::string Unescaped(std::string_view value) {
  std::string out;
  out.reserve(value.size());
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

// An enum stored as its number, within its range.
template <typename Enum>
bool EnumOf(const std::string& text, Enum last, Enum& value) {
  const std::optional<int> number = WholeNumber<int>(text);
  if (!number || *number < 0 || *number > static_cast<int>(last)) return false;
  value = static_cast<Enum>(*number);
  return true;
}

template <typename Enum>
std::string NumberText(Enum value) {
  return std::to_string(static_cast<int>(value));
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

Values ValuesOf(std::string_view text) {
  Values values;
  ForEachLine(text, [&](std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return;
    const auto name = std::find(kNames.begin(), kNames.end(), line.substr(0, tab));
    // The first of a field stands, as it always did.
    if (name != kNames.end() && values[static_cast<std::size_t>(name - kNames.begin())].empty())
      values[static_cast<std::size_t>(name - kNames.begin())] = Unescaped(line.substr(tab + 1));
  });
  return values;
}

// The post's place, when the record names one a post of its size limit can have.
bool PlaceOf(Values& values, std::uint64_t maxPostBytes, PostPlace& post) {
  if (values[kPostAt].empty() && values[kPostSize].empty()) return true;
  const std::optional<std::uint64_t> at = WholeNumber<std::uint64_t>(values[kPostAt]);
  const std::optional<std::uint64_t> size = WholeNumber<std::uint64_t>(values[kPostSize]);
  if (!at || !size || *size > maxPostBytes || *at > UINT64_MAX - *size) return false;
  post = {true, *at, *size, std::move(values[kPostSum])};
  return true;
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

std::string FormatHeldRecord(const HeldItem& item, const PostPlace& post) {
  Values values = {std::to_string(item.id),
                   item.key,
                   NumberText(item.state),
                   item.stateReason,
                   NumberText(item.form),
                   NumberText(item.server),
                   item.list,
                   item.host,
                   NumberText(item.kind),
                   item.sender,
                   item.subject,
                   item.date ? std::to_string(*item.date) : std::string(),
                   std::to_string(item.arrived),
                   item.reason,
                   item.requester,
                   item.fmlId,
                   Joined(item.messageIds),
                   item.answerId,
                   item.postWhole ? "1" : "0"};
  if (post.kept) {
    values[kPostAt] = std::to_string(post.at);
    values[kPostSize] = std::to_string(post.size);
    values[kPostSum] = post.sum;
  }
  std::string text;
  for (std::size_t field = 0; field < kFields; ++field) {
    if (field >= kPostAt && !post.kept) break;
    text.append(kNames[field]).append("\t");
    AppendEscaped(text, values[field]);
    text += '\n';
  }
  return text;
}

std::optional<HeldRecord> ParseHeldRecord(std::string_view text, std::uint64_t maxPostBytes) {
  Values values = ValuesOf(text);
  HeldRecord record;
  HeldItem& item = record.item;
  const std::optional<std::uint64_t> id = WholeNumber<std::uint64_t>(values[kId]);
  const std::optional<std::int64_t> arrived = WholeNumber<std::int64_t>(values[kArrived]);
  if (!id || !arrived || values[kKey].empty() ||
      !EnumOf(values[kState], HeldState::Failed, item.state) ||
      !EnumOf(values[kForm], NoticeForm::FmlSubscribe, item.form) ||
      !EnumOf(values[kServer], ServerKind::Fml, item.server) ||
      !EnumOf(values[kKind], HeldKind::Unsubscribe, item.kind) ||
      !PlaceOf(values, maxPostBytes, record.post))
    return std::nullopt;
  item.id = *id;
  item.arrived = static_cast<std::time_t>(*arrived);
  if (const auto date = WholeNumber<std::int64_t>(values[kDate])) item.date = *date;
  item.key = std::move(values[kKey]);
  item.stateReason = std::move(values[kStateReason]);
  item.list = std::move(values[kList]);
  item.host = std::move(values[kHost]);
  item.sender = std::move(values[kSender]);
  item.subject = std::move(values[kSubject]);
  item.reason = std::move(values[kReason]);
  item.requester = std::move(values[kRequester]);
  item.fmlId = std::move(values[kFmlId]);
  item.messageIds = Split(values[kMessageIds]);
  item.answerId = std::move(values[kAnswerId]);
  item.postWhole = values[kPostWhole] != "0";
  return record;
}

}  // namespace tarnwick
