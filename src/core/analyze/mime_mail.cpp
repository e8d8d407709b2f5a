#include "core/analyze/mime_mail.h"

#include <gmime/gmime.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "core/analyze/html_text.h"
#include "core/analyze/notice.h"
#include "core/analyze/recipients.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

// Deeper nesting or more parts than this is no returned mail but an attack on the parser.
constexpr int kMaxMimeDepth = 16;
constexpr int kMaxMimeParts = 500;
// Text parts looked into; a returned mail has one or two.
constexpr std::size_t kMaxNoticeParts = 8;
// Enclosed mail systems' reports looked into; a forwarded returned mail holds one.
constexpr std::size_t kMaxEnclosedReports = 4;
// The parser descends into nested parts recursively: a mail with more boundaries than this is
// not handed to it at all.
constexpr std::size_t kMaxBoundaries = 200;
// A header value longer than this is cut before it is decoded.
constexpr std::size_t kMaxHeaderTextBytes = 4096;

template <typename T>
struct Unref {
  void operator()(T* object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <typename T>
using GPtr = std::unique_ptr<T, Unref<T>>;

struct GFree {
  void operator()(char* text) const { g_free(text); }
};

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

bool TooManyBoundaries(std::string_view mail) {
  std::size_t boundaries = 0;
  for (std::size_t at = mail.find("boundary="); at != std::string_view::npos;
       at = mail.find("boundary=", at + 1)) {
    if (++boundaries > kMaxBoundaries) return true;
  }
  return false;
}

std::string DecodedContent(GMimePart* part) {
  GMimeDataWrapper* wrapper = g_mime_part_get_content(part);
  if (wrapper == nullptr) return {};
  GPtr<GMimeStream> out(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(wrapper, out.get());
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string TextOf(GMimeTextPart* part) {
  const std::unique_ptr<char, GFree> text(g_mime_text_part_get_text(part));
  return text ? std::string(text.get()) : DecodedContent(GMIME_PART(part));
}

// The values of every field of the name, joined by commas: some mail systems give each failed
// recipient a field of its own.
std::string AllValuesOf(GMimeObject* object, std::string_view name) {
  std::string values;
  GMimeHeaderList* headers = g_mime_object_get_header_list(object);
  const int count = headers == nullptr ? 0 : g_mime_header_list_get_count(headers);
  for (int i = 0; i < count; ++i) {
    GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
    const char* field = g_mime_header_get_name(header);
    const char* value = g_mime_header_get_value(header);
    if (field == nullptr || value == nullptr || !EqualsCp932IgnoreCase(field, name)) continue;
    if (!values.empty()) values += ',';
    values += value;
  }
  return values;
}

void ReadHeaders(GMimeMessage* message, ReturnedMail& mail) {
  GMimeObject* object = GMIME_OBJECT(message);
  if (const char* subject = g_mime_message_get_subject(message)) mail.subject = subject;
  if (const char* from = g_mime_object_get_header(object, "From")) mail.from = from;
  if (const char* replyTo = g_mime_object_get_header(object, "Reply-To")) mail.replyTo = replyTo;
  if (GDateTime* date = g_mime_message_get_date(message)) mail.date = g_date_time_to_unix(date);
  for (const char* name : {"References", "In-Reply-To"}) {
    if (const char* ids = g_mime_object_get_header(object, name)) mail.references += ids;
  }
  mail.failedRecipientsHeader = AllValuesOf(object, "X-Failed-Recipients");
  if (const char* server = g_mime_object_get_header(object, "X-MLServer")) mail.listServer = server;
  for (const char* name : {"From", "To", "Reply-To", "Sender"}) {
    if (const char* value = g_mime_object_get_header(object, name)) {
      for (std::string& address : AddressesIn(value))
        mail.ownAddresses.push_back(std::move(address));
    }
  }
}

class PartWalk {
 public:
  // Enclosed reports are read only from the mail itself, not from an enclosed one.
  PartWalk(ReturnedMail& mail, bool readEnclosed) : mail_(mail), readEnclosed_(readEnclosed) {}

  void Visit(GMimeObject* object, int depth) {
    if (object == nullptr || depth > kMaxMimeDepth || ++parts_ > kMaxMimeParts) return;
    if (GMIME_IS_MULTIPART(object)) return VisitMultipart(GMIME_MULTIPART(object), depth);
    if (GMIME_IS_MESSAGE_PART(object)) return VisitEnclosed(GMIME_MESSAGE_PART(object), depth);
    if (!GMIME_IS_PART(object)) return;
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (g_mime_content_type_is_type(type, "message", "delivery-status") ||
        g_mime_content_type_is_type(type, "message", "global-delivery-status")) {
      mail_.deliveryStatuses.push_back(DecodedContent(GMIME_PART(object)));
    } else if (g_mime_content_type_is_type(type, "text", "rfc822-headers")) {
      AddReturnedHeader(DecodedContent(GMIME_PART(object)));
    } else if (GMIME_IS_TEXT_PART(object) && g_mime_content_type_is_type(type, "text", "plain")) {
      AddNotice(TextOf(GMIME_TEXT_PART(object)));
    } else if (GMIME_IS_TEXT_PART(object) && g_mime_content_type_is_type(type, "text", "html") &&
               html_.size() < kMaxNoticeParts) {
      html_.push_back(HtmlText(TextOf(GMIME_TEXT_PART(object))));
    }
  }

  // Notices in HTML stand in for plain ones only where a mail system sent no plain text.
  void Finish() {
    if (!mail_.notices.empty()) return;
    for (std::string& text : html_)
      AddNotice(std::move(text));
  }

 private:
  // A returned message is no report: its text is the sender's, and only its header is kept, for
  // the recipient it names. A mail system's report forwarded whole is kept apart, to be read
  // when the mail around it names no failure.
  void VisitEnclosed(GMimeMessagePart* part, int depth) {
    GMimeMessage* message = g_mime_message_part_get_message(part);
    if (message == nullptr) return;
    ReturnedMail enclosed;
    ReadHeaders(message, enclosed);
    if (!SenderIsMailSystem(enclosed.from)) {
      const std::unique_ptr<char, GFree> header(
          g_mime_object_get_headers(GMIME_OBJECT(message), nullptr));
      if (header) AddReturnedHeader(header.get());
      return;
    }
    if (!readEnclosed_ || mail_.enclosedReports.size() >= kMaxEnclosedReports) return;
    PartWalk walk(enclosed, false);
    walk.parts_ = parts_;
    walk.Visit(g_mime_message_get_mime_part(message), depth + 1);
    walk.Finish();
    parts_ = walk.parts_;
    mail_.enclosedReports.push_back(std::move(enclosed));
  }

  void VisitMultipart(GMimeMultipart* multipart, int depth) {
    const int count = g_mime_multipart_get_count(multipart);
    // A boundary the body never uses leaves the whole body in the prologue.
    if (count == 0) {
      if (const char* prologue = g_mime_multipart_get_prologue(multipart)) AddNotice(prologue);
    }
    for (int i = 0; i < count; ++i)
      Visit(g_mime_multipart_get_part(multipart, i), depth + 1);
  }

  void AddReturnedHeader(std::string text) {
    if (mail_.returnedHeaders.size() < kMaxNoticeParts)
      mail_.returnedHeaders.push_back(std::move(text));
  }

  void AddNotice(std::string text) {
    if (mail_.notices.size() < kMaxNoticeParts) mail_.notices.push_back(std::move(text));
  }

  ReturnedMail& mail_;
  bool readEnclosed_;
  int parts_ = 0;
  std::vector<std::string> html_;
};

// Japanese bytes that declare no charset: ISO-2022-JP, else UTF-8, else Shift_JIS.
std::string UndeclaredText(std::string_view bytes) {
  if (bytes.find('\x1b') != std::string_view::npos) {
    if (std::optional<std::string> utf8 = ToUtf8(bytes, Encoding::Iso2022Jp)) return *utf8;
  } else if (std::optional<std::string> utf8 = ToUtf8(bytes, Encoding::Utf8)) {
    return *utf8;
  }
  return Cp932ToUtf8(bytes);
}

GPtr<GMimeMessage> ParsedMessage(std::string_view text) {
  if (text.size() > kMaxReturnedMailBytes || TooManyBoundaries(text)) return nullptr;
  InitialiseOnce();
  GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
  GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  return GPtr<GMimeMessage>(g_mime_parser_construct_message(parser.get(), nullptr));
}

// A text part's words: the Japanese charsets by the program's own codec (Shift_JIS as the
// Windows mailers mean it), any other declared one by GMime.
std::string ReadableText(GMimeTextPart* part) {
  const std::string bytes = DecodedContent(GMIME_PART(part));
  const char* declared = g_mime_text_part_get_charset(part);
  const std::string charset = declared == nullptr ? std::string() : LowerAscii(declared);
  if (charset.empty() || charset == "us-ascii") return UndeclaredText(bytes);
  if (charset == "iso-2022-jp")
    return ToUtf8(bytes, Encoding::Iso2022Jp).value_or(UndeclaredText(bytes));
  if (charset == "shift_jis" || charset == "cp932" || charset == "windows-31j" ||
      charset == "x-sjis")
    return Cp932ToUtf8(bytes);
  if (charset == "utf-8") return ToUtf8(bytes, Encoding::Utf8).value_or(Cp932ToUtf8(bytes));
  return TextOf(part);
}

class ReadableWalk {
 public:
  explicit ReadableWalk(ReadableMail& mail) : mail_(mail) {}

  void Visit(GMimeObject* object, int depth) {
    if (object == nullptr || depth > kMaxMimeDepth || ++parts_ > kMaxMimeParts) return;
    if (GMIME_IS_MULTIPART(object)) {
      GMimeMultipart* multipart = GMIME_MULTIPART(object);
      for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
        Visit(g_mime_multipart_get_part(multipart, i), depth + 1);
      return;
    }
    if (!GMIME_IS_PART(object)) return Attach(object, {});
    GMimePart* part = GMIME_PART(object);
    const char* name = g_mime_part_get_filename(part);
    GMimeContentType* type = g_mime_object_get_content_type(object);
    if (name == nullptr && !g_mime_part_is_attachment(part) && GMIME_IS_TEXT_PART(object)) {
      if (g_mime_content_type_is_type(type, "text", "plain") && !plain_) {
        plain_ = true;
        mail_.text = ReadableText(GMIME_TEXT_PART(object));
        return;
      }
      if (g_mime_content_type_is_type(type, "text", "html") && html_.empty()) {
        html_ = HtmlText(ReadableText(GMIME_TEXT_PART(object)));
        return;
      }
    }
    Attach(object, name == nullptr ? std::string() : DecodedHeaderText(name));
  }

  void Finish() {
    if (!plain_) mail_.text = std::move(html_);
  }

 private:
  void Attach(GMimeObject* object, std::string name) {
    ReadableMail::Attachment attachment{std::move(name), 0};
    if (GMIME_IS_PART(object)) {
      attachment.bytes = DecodedContent(GMIME_PART(object)).size();
    } else if (const std::unique_ptr<char, GFree> whole(g_mime_object_to_string(object, nullptr));
               whole) {
      attachment.bytes = std::strlen(whole.get());
    }
    mail_.attachments.push_back(std::move(attachment));
  }

  ReadableMail& mail_;
  int parts_ = 0;
  bool plain_ = false;
  std::string html_;
};

// A report on something else than a delivery: a complaint, or a read receipt.
bool IsOtherReport(GMimeObject* body) {
  GMimeContentType* type = body ? g_mime_object_get_content_type(body) : nullptr;
  if (type == nullptr || !g_mime_content_type_is_type(type, "multipart", "report")) return false;
  const char* reportType = g_mime_content_type_get_parameter(type, "report-type");
  return reportType != nullptr && (EqualsCp932IgnoreCase(reportType, "feedback-report") ||
                                   EqualsCp932IgnoreCase(reportType, "disposition-notification"));
}

}  // namespace

std::optional<ReturnedMail> ParseReturnedMail(std::string_view text) {
  GPtr<GMimeMessage> message = ParsedMessage(text);
  if (message == nullptr) return std::nullopt;
  ReturnedMail mail;
  ReadHeaders(message.get(), mail);
  GMimeObject* body = g_mime_message_get_mime_part(message.get());
  mail.otherReport = IsOtherReport(body);
  if (!mail.otherReport) {
    PartWalk walk(mail, true);
    walk.Visit(body, 0);
    walk.Finish();
  }
  return mail;
}

std::optional<ReadableMail> ReadReadableMail(std::string_view text) {
  GPtr<GMimeMessage> message = ParsedMessage(text);
  if (message == nullptr) return std::nullopt;
  ReadableMail mail;
  GMimeObject* object = GMIME_OBJECT(message.get());
  const auto field = [object](const char* name) {
    const char* value = g_mime_object_get_header(object, name);
    return value == nullptr ? std::string() : DecodedHeaderText(value);
  };
  mail.from = field("From");
  mail.to = field("To");
  mail.subject = field("Subject");
  if (const char* date = g_mime_object_get_header(object, "Date")) mail.date = date;
  ReadableWalk walk(mail);
  walk.Visit(g_mime_message_get_mime_part(message.get()), 0);
  walk.Finish();
  return mail;
}

std::string DecodedHeaderText(std::string_view value) {
  // Raw bytes in a header are Japanese mailers' habit.
  const std::string text = UndeclaredText(value.substr(0, kMaxHeaderTextBytes));
  InitialiseOnce();
  const std::unique_ptr<char, GFree> decoded(
      g_mime_utils_header_decode_text(nullptr, text.c_str()));
  return decoded ? std::string(decoded.get()) : text;
}

std::optional<std::time_t> MailDate(std::string_view value) {
  InitialiseOnce();
  const std::string text(value.substr(0, kMaxHeaderTextBytes));
  GDateTime* date = g_mime_utils_header_decode_date(text.c_str());
  if (date == nullptr) return std::nullopt;
  const std::time_t time = g_date_time_to_unix(date);
  g_date_time_unref(date);
  return time;
}

}  // namespace tarnwick
