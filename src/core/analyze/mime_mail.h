// A returned mail taken apart by its MIME structure: the parts that report on the delivery, apart
// from the returned message itself, which says nothing about the delivery.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Larger than any returned mail worth reading; a larger file is not looked into.
inline constexpr std::size_t kMaxReturnedMailBytes = 20u << 20;

struct ReturnedMail {
  std::string from;                       // decoded, UTF-8
  std::string subject;                    // decoded, UTF-8
  std::string replyTo;                    // as given
  std::string references;                 // References and In-Reply-To, as given
  std::time_t date = 0;                   // its Date; 0 when it has none that reads
  std::vector<std::string> ownAddresses;  // of the mail's From, To, Reply-To and Sender
  std::string failedRecipientsHeader;     // X-Failed-Recipients, when given
  std::string listServer;                 // X-MLServer (fml's name on its mails), when given
  bool otherReport = false;               // a complaint (abuse) report or a read receipt, no bounce
  std::vector<std::string> deliveryStatuses;  // message/delivery-status parts, decoded
  std::vector<std::string> notices;           // text parts outside the returned message, UTF-8; the
                                              // text of HTML parts when there is no plain one
  // The header of each returned message (a message/rfc822 or text/rfc822-headers part), as given.
  std::vector<std::string> returnedHeaders;
  // Mails a mail system sent, enclosed whole (a returned mail forwarded to the administrator).
  std::vector<ReturnedMail> enclosedReports;
};

// Nothing for a mail too large or too deeply structured to be parsed safely.
std::optional<ReturnedMail> ParseReturnedMail(std::string_view mail);

// A header field's value as given (encoded words, raw ISO-2022-JP, Shift_JIS or UTF-8), as
// UTF-8 text for display.
std::string DecodedHeaderText(std::string_view value);

// A mail as a member's mail program shows it: its header fields decoded, its text and what it
// carries besides, all UTF-8.
struct ReadableMail {
  struct Attachment {
    std::string name;       // decoded; empty when the part names none
    std::size_t bytes = 0;  // decoded from its transfer encoding
  };
  std::string from, to, subject;
  std::string date;  // as given
  // The first plain text part, from whatever it declares (ISO-2022-JP, Shift_JIS, UTF-8) or, with
  // nothing declared, what its bytes read as; the text of an HTML part when there is no plain one.
  std::string text;
  std::vector<Attachment> attachments;
};

// Nothing for a mail too large or too deeply structured to be parsed safely.
std::optional<ReadableMail> ReadReadableMail(std::string_view mail);

// The time a Date field's value names; nothing when it does not read as a date.
std::optional<std::time_t> MailDate(std::string_view value);

}  // namespace tarnwick
