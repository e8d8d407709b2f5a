#include "analyze/returned_mail.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <span>

#include "analyze/address_extraction.h"
#include "platform/cp932_case.h"
#include "platform/trim.h"

namespace tarnwick {
namespace {

// Deeper nesting or more parts than this is no returned mail but an attack on the parser.
constexpr int kMaxDepth = 16;
constexpr int kMaxParts = 500;
constexpr std::size_t kMaxBoundaries = 200;

template <typename T>
struct Unref {
  void operator()(T* object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <typename T>
using GPtr = std::unique_ptr<T, Unref<T>>;

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// local@domain.tld, with something on each side and no blank or control character.
bool LooksLikeAddress(std::string_view address) {
  const std::size_t at = address.find('@');
  if (at == 0 || at == std::string_view::npos ||
      address.find('@', at + 1) != std::string_view::npos) {
    return false;
  }
  const std::string_view domain = address.substr(at + 1);
  if (domain.find('.') == std::string_view::npos || domain.back() == '.') return false;
  return std::none_of(address.begin(), address.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '(' || c == ')' || c == ',' || c == ';' ||
           c == ':' || c == '<' || c == '>' || c == '"' || c == '/' || c == '|';
  });
}

// Addresses collected once each, in the order found.
class Recipients {
 public:
  void Add(std::string_view text) {
    std::string address = CleanAddress(text);
    if (!LooksLikeAddress(address)) return;
    const bool seen = std::any_of(addresses_.begin(), addresses_.end(), [&](const std::string& a) {
      return EqualsCp932IgnoreCase(a, address);
    });
    if (!seen && addresses_.size() < kMaxExtractedAddresses)
      addresses_.push_back(std::move(address));
  }
  bool empty() const { return addresses_.empty(); }
  std::vector<std::string> Take() { return std::move(addresses_); }

 private:
  std::vector<std::string> addresses_;
};

std::string Content(GMimePart* part) {
  GMimeDataWrapper* wrapper = g_mime_part_get_content(part);
  if (wrapper == nullptr) return {};
  GPtr<GMimeStream> out(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(wrapper, out.get());
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

// The value of "Name:" in a block of header-like lines, continuation lines joined.
std::string Field(std::string_view block, std::string_view name) {
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find('\n', start);
    if (end == std::string_view::npos) end = block.size();
    const std::string_view line = block.substr(start, end - start);
    if (line.size() > name.size() && line[name.size()] == ':' &&
        EqualsCp932IgnoreCase(line.substr(0, name.size()), name)) {
      return std::string(Trim(line.substr(name.size() + 1)));
    }
    start = end + 1;
  }
  return {};
}

// "rfc822; user@example.jp" gives "user@example.jp".
std::string_view AddressPart(std::string_view typed) {
  const std::size_t semicolon = typed.find(';');
  return Trim(semicolon == std::string_view::npos ? typed : typed.substr(semicolon + 1));
}

// A delivery-status report: blocks separated by empty lines, the first about the message, each
// further one about a recipient.
void ReadDeliveryStatus(std::string_view report, Recipients& failed) {
  std::string text(report);
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\n\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string_view block(text.data() + start, end - start);
    const std::string action = FoldCp932Case(Field(block, "Action"));
    const std::string status = Field(block, "Status");
    const bool failedHere =
        action.starts_with("failed") || (action.empty() && status.starts_with('5'));
    std::string recipient = Field(block, "Final-Recipient");
    if (recipient.empty()) recipient = Field(block, "Original-Recipient");
    if (failedHere && !recipient.empty()) failed.Add(AddressPart(recipient));
    start = end + 2;
  }
}

struct Walk {
  Recipients failed;
  std::vector<std::string> texts;  // plain-text parts outside any returned message
  int parts = 0;
};

void WalkParts(GMimeObject* object, int depth, Walk& walk) {
  if (object == nullptr || depth > kMaxDepth || ++walk.parts > kMaxParts) return;
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
      WalkParts(g_mime_multipart_get_part(multipart, i), depth + 1, walk);
    }
    return;
  }
  if (!GMIME_IS_PART(object)) return;  // a returned message: its text is not the report's
  GMimeContentType* type = g_mime_object_get_content_type(object);
  if (g_mime_content_type_is_type(type, "message", "delivery-status") ||
      g_mime_content_type_is_type(type, "message", "global-delivery-status")) {
    ReadDeliveryStatus(Content(GMIME_PART(object)), walk.failed);
  } else if (g_mime_content_type_is_type(type, "text", "plain") && walk.texts.size() < 8) {
    walk.texts.push_back(Content(GMIME_PART(object)));
  }
}

bool IsComplaint(GMimeObject* body) {
  GMimeContentType* type = body ? g_mime_object_get_content_type(body) : nullptr;
  if (type == nullptr || !g_mime_content_type_is_type(type, "multipart", "report")) return false;
  const char* reportType = g_mime_content_type_get_parameter(type, "report-type");
  return reportType != nullptr && EqualsCp932IgnoreCase(reportType, "feedback-report");
}

// qmail: "<user@example.jp>:" on a line of its own, before the copy of the message.
void ReadQmailNotice(std::string_view text, Recipients& failed) {
  if (text.find("qmail-send program") == std::string_view::npos &&
      text.find("This is the mail delivery agent") == std::string_view::npos) {
    return;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    if (line.starts_with("--- Below this line")) return;
    if (line.starts_with('<') && line.ends_with(">:")) failed.Add(line.substr(0, line.size() - 1));
    start = end + 1;
  }
}

// Where the notice ends and the returned message (or its headers) begins.
constexpr std::string_view kCopyMarkers[] = {
    "--- below this line",      "original message follows", "message headers follow",
    "----- original message",   "-----original message",    "this is a copy of the message",
    "headers of the original",  "original message header",  "the original message was",
    "------ forwarded message", "returned message",         "\nreceived: ",
};

// Words of a line that says a delivery failed for good.
constexpr std::string_view kFailureWords[] = {
    "user unknown",
    "unknown user",
    "no such user",
    "does not exist",
    "doesn't exist",
    "not found",
    "unavailable",
    "mailbox is full",
    "quota",
    "rejected",
    "refused",
    "undeliverable",
    "could not be delivered",
    "couldn't be delivered",
    "delivery failed",
    "failed",
    "error delivering",
    "permanent",
    "invalid",
    "unknown",
    "not accepted",
    "unable to deliver",
    "intended recipient",
    "not delivered",
    "no mailbox",
    "550",
    "553",
    "554",
    "5.1.1",
    "5.0.0",
    "disabled",
    "expired",
    "error",
};

// Words of a notice that only says the mail is late, or arrived: no failure to act on.
constexpr std::string_view kNoFailureWords[] = {
    "will continue trying",
    "will retry",
    "has not yet been delivered",
    "not yet been delivered",
    "delivery delayed",
    "delayed mail",
    "successfully delivered",
    "was delivered",
    "out of the office",
    "out of office",
    "auto-reply",
    "autoreply",
    "vacation",
};

bool ContainsAny(std::string_view lowered, std::span<const std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view word) {
    return lowered.find(word) != std::string_view::npos;
  });
}

// The addresses written in a line: "local@domain", possibly in angle brackets or quotes.
std::vector<std::string> AddressesIn(std::string_view line) {
  std::vector<std::string> found;
  const auto isAddressByte = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("._%+-'").find(c) != std::string_view::npos;
  };
  for (std::size_t at = line.find('@'); at != std::string_view::npos; at = line.find('@', at + 1)) {
    std::size_t begin = at;
    while (begin > 0 && isAddressByte(line[begin - 1]))
      --begin;
    std::size_t end = at + 1;
    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) ||
                                 line[end] == '.' || line[end] == '-')) {
      ++end;
    }
    while (end > at + 1 && line[end - 1] == '.')
      --end;
    const std::string_view address = line.substr(begin, end - begin);
    if (begin < at && address.find('.', at - begin) != std::string_view::npos) {
      found.emplace_back(address);
    }
  }
  return found;
}

bool IsServiceAddress(std::string_view address) {
  const std::string lowered = FoldCp932Case(address);
  return lowered.starts_with("postmaster@") || lowered.starts_with("mailer-daemon@") ||
         lowered.starts_with("mail-daemon@") || lowered.starts_with("root@");
}

// A notice in plain words: addresses on lines that say the delivery failed, or on the lines
// right after one that announces the failed recipients, before the returned message begins.
void ReadPlainNotice(std::string_view text, const std::vector<std::string>& own,
                     Recipients& failed) {
  std::string lowered =
      FoldCp932Case(text.substr(0, std::min<std::size_t>(text.size(), 64 * 1024)));
  if (ContainsAny(lowered, kNoFailureWords)) return;
  std::size_t end = lowered.size();
  for (std::string_view marker : kCopyMarkers)
    end = std::min(end, lowered.find(marker));
  lowered.resize(end);
  const std::string_view notice(text.data(), end);
  std::size_t start = 0;
  int announced = 0;  // lines left after "the following recipients" and the like
  while (start < notice.size()) {
    std::size_t stop = notice.find('\n', start);
    if (stop == std::string_view::npos) stop = notice.size();
    const std::string_view line = notice.substr(start, stop - start);
    const std::string_view low = std::string_view(lowered).substr(start, stop - start);
    const bool announcing = low.find("following") != std::string_view::npos &&
                            (low.find("recipient") != std::string_view::npos ||
                             low.find("address") != std::string_view::npos ||
                             low.find("destination") != std::string_view::npos);
    if (announcing) announced = 4;
    if (announced > 0 || ContainsAny(low, kFailureWords)) {
      for (const std::string& address : AddressesIn(line)) {
        const bool mine = std::any_of(own.begin(), own.end(), [&](const std::string& a) {
          return EqualsCp932IgnoreCase(a, address);
        });
        if (!mine && !IsServiceAddress(address)) failed.Add(address);
      }
    }
    if (!announcing && announced > 0) --announced;
    start = stop + 1;
  }
}

}  // namespace

std::vector<std::string> RecogniseFailedRecipients(std::string_view mail) {
  if (mail.size() > kMaxReturnedMailBytes) return {};
  // The parser walks nested parts recursively: a mail of thousands of them is not parsed.
  std::size_t boundaries = 0;
  for (std::size_t at = mail.find("boundary=");
       at != std::string_view::npos && boundaries <= kMaxBoundaries;
       at = mail.find("boundary=", at + 1)) {
    ++boundaries;
  }
  if (boundaries > kMaxBoundaries) return {};
  InitialiseOnce();
  GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(mail.data(), mail.size()));
  GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
  if (message == nullptr) return {};
  GMimeObject* body = g_mime_message_get_mime_part(message.get());
  if (IsComplaint(body)) return {};

  Walk walk;
  WalkParts(body, 0, walk);
  if (const char* failed =
          g_mime_object_get_header(GMIME_OBJECT(message.get()), "X-Failed-Recipients")) {
    std::string_view list(failed);
    while (!list.empty()) {
      const std::size_t comma = list.find(',');
      walk.failed.Add(list.substr(0, comma));
      list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
  }
  if (walk.failed.empty()) {
    for (const std::string& text : walk.texts)
      ReadQmailNotice(text, walk.failed);
  }
  if (walk.failed.empty() && !walk.texts.empty()) {
    // The notice's own sender and addressee are no failed recipients.
    std::vector<std::string> own;
    for (const char* header : {"From", "To", "Reply-To", "Sender"}) {
      if (const char* value = g_mime_object_get_header(GMIME_OBJECT(message.get()), header)) {
        for (const std::string& address : AddressesIn(value))
          own.push_back(address);
      }
    }
    ReadPlainNotice(walk.texts.front(), own, walk.failed);
  }
  return walk.failed.Take();
}

}  // namespace tarnwick
