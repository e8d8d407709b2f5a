// What the readers of Majordomo's and fml's notices share (for the moderation area only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/moderation/held_notice.h"
#include "core/moderation/raw_mail.h"

namespace tarnwick {

// The fields of the notice's own header that tell its form.
struct NoticeHeader {
  std::string from;     // its From address, lower case
  std::string subject;  // as given, unfolded
  std::string contentType;
  std::optional<std::time_t> date;
};

bool StartsWithNoCase(std::string_view text, std::string_view start);

// The text with each run of white space as one blank, trimmed.
std::string CollapsedBlanks(std::string_view text);

// Takes the held post into the notice: its bytes with any password masked (with `commands`,
// those of the body's command lines of that server too), whether its header ends, its From,
// Subject, Date and Message-IDs.
void TakePost(std::string_view post, HeldNotice& notice,
              std::optional<ServerKind> commands = std::nullopt);

std::optional<HeldNotice> ReadMajordomoNotice(const RawMail& mail, const NoticeHeader& header);
std::optional<HeldNotice> ReadFmlNotice(const RawMail& mail, const NoticeHeader& header);

}  // namespace tarnwick
