#include "core/incoming/imap_session.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <set>

#include "core/platform/ascii.h"
#include "core/platform/base64.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

// A SEARCH of a large mailbox is one long line: 100,000 UIDs take well under this.
constexpr std::size_t kMaxLineBytes = 8u << 20;
constexpr std::size_t kReadChunk = 64 * 1024;
// The untagged responses one command may gather, counted as their bytes plus what keeping each
// costs: a FETCH of the sizes of 100,000 mails stays well within, a server's flood does not.
constexpr std::size_t kMaxUntaggedBytes = 96u << 20;
constexpr std::size_t kResponseCost = 128;
constexpr std::chrono::seconds kLogoutWait(5);

// The number in "{N}" at the end of a line, when it ends so.
std::optional<std::size_t> LiteralSize(std::string_view line) {
  if (!line.ends_with('}')) return std::nullopt;
  const std::size_t open = line.rfind('{');
  if (open == std::string_view::npos) return std::nullopt;
  std::string_view digits = line.substr(open + 1, line.size() - open - 2);
  if (digits.ends_with('+')) digits.remove_suffix(1);
  std::size_t size = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  // A size past any number is still a literal, and larger than any that is read.
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<std::size_t>::max();
  if (ec != std::errc()) return std::nullopt;
  return size;
}

std::optional<std::uint32_t> NumberAfter(std::string_view text, std::string_view word) {
  const std::size_t at = text.find(word);
  if (at == std::string_view::npos) return std::nullopt;
  text.remove_prefix(at + word.size());
  std::uint32_t number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end == text.data()) return std::nullopt;
  return number;
}

// A mailbox name as an IMAP quoted string; nothing for one that needs more (non-ASCII names are
// written in modified UTF-7, which is not done here).
std::optional<std::string> Quoted(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (!IsAsciiPrintable(c)) return std::nullopt;
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string UidSet(const std::vector<std::uint32_t>& uids) {
  std::string set;
  for (std::uint32_t uid : uids)
    set += (set.empty() ? "" : ",") + std::to_string(uid);
  return set;
}

const std::string kLost = "受信ｻｰﾊﾞｰとの接続が切れました";
const std::string kTooSlow = "受信ｻｰﾊﾞｰの応答が遅すぎるため、受信を打ち切りました";
const std::string kTooMuch = "受信ｻｰﾊﾞｰの応答が多すぎるため、受信を打ち切りました";

std::size_t Cost(const std::string& text, const std::vector<std::string>& literals) {
  std::size_t bytes = kResponseCost + text.size();
  for (const std::string& literal : literals)
    bytes += literal.size();
  return bytes;
}

}  // namespace

std::optional<std::chrono::milliseconds> ImapSession::Wait() const {
  if (!deadline_) return timeout_;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline_ - Clock::now());
  if (left <= std::chrono::milliseconds::zero()) return std::nullopt;
  return std::min(timeout_, left);
}

bool ImapSession::Send(std::string_view bytes) {
  const std::optional<std::chrono::milliseconds> wait = Wait();
  return wait && stream_->Write(bytes, *wait) == Io::Ok;
}

std::string ImapSession::Lost() const {
  return deadline_ && Clock::now() >= *deadline_ ? kTooSlow : kLost;
}

bool ImapSession::ReadLine(std::string& line) {
  for (;;) {
    const std::size_t end = pending_.find("\r\n");
    if (end != std::string::npos) {
      line.assign(pending_, 0, end);
      pending_.erase(0, end + 2);
      return true;
    }
    if (pending_.size() > kMaxLineBytes) return false;
    const std::optional<std::chrono::milliseconds> wait = Wait();
    if (!wait || stream_->Read(pending_, kReadChunk, *wait) != Io::Ok) return false;
  }
}

bool ImapSession::ReadBytes(std::size_t count, std::string& bytes) {
  while (pending_.size() < count) {
    const std::optional<std::chrono::milliseconds> wait = Wait();
    if (!wait ||
        stream_->Read(pending_, std::min(kReadChunk, count - pending_.size()), *wait) != Io::Ok)
      return false;
  }
  bytes.assign(pending_, 0, count);
  pending_.erase(0, count);
  return true;
}

bool ImapSession::ReadResponse(Response& response) {
  response = {};
  std::string line;
  if (!ReadLine(line)) return false;
  const std::size_t space = line.find(' ');
  response.tag = line.substr(0, space);
  response.text = space == std::string::npos ? std::string() : line.substr(space + 1);
  // A literal continues the response after its bytes.
  while (const std::optional<std::size_t> size = LiteralSize(line)) {
    std::string bytes;
    if (*size > kMaxFetchedMailBytes + kMaxLineBytes || !ReadBytes(*size, bytes)) return false;
    response.literals.push_back(std::move(bytes));
    if (!ReadLine(line)) return false;
    response.text += line;
  }
  return true;
}

const std::string& ImapSession::NextTag() {
  lastTag_ = "t" + std::to_string(++tags_);
  return lastTag_;
}

std::string ImapSession::Run(std::string_view command, std::vector<Response>* untagged) {
  if (broken_) return kLost;
  if (!Send(NextTag() + " " + std::string(command) + "\r\n")) {
    broken_ = true;
    return Lost();
  }
  std::size_t gathered = 0;
  for (Response response; ReadResponse(response);) {
    if (response.tag == lastTag_) {
      if (response.text.starts_with("OK")) return {};
      return "受信ｻｰﾊﾞｰの応答: " + std::string(TrimLeft(response.text)).substr(0, 200);
    }
    if (response.tag != "*" || untagged == nullptr) continue;
    if ((gathered += Cost(response.text, response.literals)) > kMaxUntaggedBytes) {
      broken_ = true;
      untagged->clear();
      return kTooMuch;
    }
    untagged->push_back(std::move(response));
  }
  broken_ = true;
  return Lost();
}

std::string ImapSession::Greeting() {
  Response greeting;
  if (!ReadResponse(greeting) || greeting.tag != "*") return Lost();
  if (greeting.text.starts_with("OK") || greeting.text.starts_with("PREAUTH")) return {};
  return "受信ｻｰﾊﾞｰが接続を断りました";
}

std::string ImapSession::StartTls() {
  std::string failure = Run("STARTTLS");
  // Anything the server sent past its answer would be read as if it came over TLS.
  if (failure.empty() && !pending_.empty()) failure = "TLSの開始に失敗しました";
  return failure;
}

std::string ImapSession::Login(std::string_view user, std::string_view password) {
  if (!Send(NextTag() + " AUTHENTICATE PLAIN\r\n")) return Lost();
  Response response;
  if (!ReadResponse(response)) return Lost();
  // The failure never shows the exchange: it carries the password.
  if (response.tag != "+") return "受信ｻｰﾊﾞｰへのﾛｸﾞｲﾝに失敗しました";
  const std::string credentials =
      std::string(1, '\0') + std::string(user) + '\0' + std::string(password);
  if (!Send(Base64(credentials) + "\r\n")) return Lost();
  while (ReadResponse(response)) {
    if (response.tag != lastTag_) continue;
    return response.text.starts_with("OK") ? std::string() : "受信ｻｰﾊﾞｰへのﾛｸﾞｲﾝに失敗しました";
  }
  return Lost();
}

std::string ImapSession::Examine(std::string_view folder, std::uint32_t& uidValidity) {
  const std::optional<std::string> name = Quoted(folder);
  if (!name) return "受信ﾌｫﾙﾀﾞ名には半角英数字と記号だけが使えます";
  std::vector<Response> untagged;
  if (std::string failure = Run("EXAMINE " + *name, &untagged); !failure.empty()) return failure;
  for (const Response& response : untagged) {
    if (const auto validity = NumberAfter(response.text, "[UIDVALIDITY ")) uidValidity = *validity;
  }
  return {};
}

std::string ImapSession::NewerThan(std::uint32_t lastUid, std::vector<std::uint32_t>& uids) {
  std::vector<Response> untagged;
  const std::string range = std::to_string(std::uint64_t{lastUid} + 1) + ":*";
  if (std::string failure = Run("UID SEARCH UID " + range, &untagged); !failure.empty())
    return failure;
  for (const Response& response : untagged) {
    if (!response.text.starts_with("SEARCH")) continue;
    std::string_view rest = std::string_view(response.text).substr(6);
    while (!(rest = TrimLeft(rest)).empty()) {
      std::uint32_t uid = 0;
      const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), uid);
      if (ec != std::errc()) break;
      // "n:*" always takes in the highest UID, even one below n.
      if (uid > lastUid) uids.push_back(uid);
      rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    }
  }
  std::sort(uids.begin(), uids.end());
  uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
  return {};
}

std::string ImapSession::Fetch(const std::vector<std::uint32_t>& uids, std::string_view item,
                               std::map<std::uint32_t, std::string>& items,
                               std::map<std::uint32_t, std::uint64_t>* sizes) {
  if (uids.empty()) return {};
  std::vector<Response> untagged;
  const std::string command = "UID FETCH " + UidSet(uids) + " (UID " +
                              (sizes != nullptr ? "RFC822.SIZE " : "") + std::string(item) + ")";
  if (std::string failure = Run(command, &untagged); !failure.empty()) return failure;
  const std::set<std::uint32_t> asked(uids.begin(), uids.end());
  for (Response& response : untagged) {
    std::optional<std::uint32_t> uid = NumberAfter(response.text, "UID ");
    if (uid && !asked.contains(*uid)) uid.reset();
    if (uid && sizes != nullptr) {
      if (const auto size = NumberAfter(response.text, "RFC822.SIZE ")) (*sizes)[*uid] = *size;
    }
    if (!uid || response.literals.size() != 1 ||
        response.literals.front().size() > kMaxFetchedMailBytes) {
      continue;
    }
    items[*uid] = std::move(response.literals.front());
  }
  return {};
}

void ImapSession::Logout() {
  const Clock::time_point soon = Clock::now() + kLogoutWait;
  if (!deadline_ || soon < *deadline_) deadline_ = soon;
  Run("LOGOUT");
}

}  // namespace tarnwick
