#include "core/delivery/mail_content.h"

#include "core/platform/file_bytes.h"

namespace tarnwick {
namespace {

// Calls `take` with each line of the mail, without its line end: LF or CR LF ends a line, and
// so does a CR alone.
template <typename Take>
void ForEachLine(std::string_view mail, Take take) {
  while (!mail.empty()) {
    const std::size_t end = mail.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      take(mail);
      return;
    }
    if (!take(mail.substr(0, end))) return;
    const bool crLf = mail[end] == '\r' && end + 1 < mail.size() && mail[end + 1] == '\n';
    mail.remove_prefix(end + (crLf ? 2 : 1));
  }
}

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ReadMailFile(const std::filesystem::path& file) {
  return ReadWholeFile(file, kMaxMailFileBytes);
}

bool Envelope::usable() const {
  return !sender.empty() && !recipient.empty() && !HasControlCharacter(sender) &&
         !HasControlCharacter(recipient);
}

Envelope ScanEnvelope(std::string_view mail) {
  Envelope envelope;
  ForEachLine(mail, [&](std::string_view line) {
    if (line.starts_with("To: ")) {
      envelope.recipient = line.substr(4);
    } else if (line.starts_with("From: ")) {
      envelope.sender = line.substr(6);
    } else if (line.empty()) {
      return false;
    }
    return envelope.recipient.empty() || envelope.sender.empty();
  });
  return envelope;
}

WireContent EncodeContent(std::string_view mail) {
  WireContent content;
  content.data.reserve(mail.size() + mail.size() / 16 + 2);
  std::size_t number = 0;
  ForEachLine(mail, [&](std::string_view line) {
    ++number;
    if (line.starts_with('.')) content.data += '.';
    content.data += line;
    content.data += "\r\n";
    if (content.longLine == 0 &&
        line.size() + (line.starts_with('.') ? 1 : 0) > kMaxSmtpLineBytes) {
      content.longLine = number;
    }
    return true;
  });
  return content;
}

}  // namespace tarnwick
