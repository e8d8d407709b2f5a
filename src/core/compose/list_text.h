// The text of a list's info, intro or guide file, or of a file put on the server, as members
// will read it. Both servers store such text byte for byte and send it back to members (fml
// labelled ISO-2022-JP, Majordomo unlabelled, which Japanese mail programs read as
// ISO-2022-JP), so it travels as ISO-2022-JP, whatever encoding the administrator saved it in.
#pragma once

#include <string>
#include <string_view>

#include "core/platform/refusal.h"

namespace tarnwick {

struct ListText {
  std::string text;       // the text to send: ASCII as it was, or ISO-2022-JP
  bool japanese = false;  // the text holds more than ASCII, so the mail must say ISO-2022-JP
  Refusal refusal;        // why the text can't reach members as written
};

// Converts the bytes of a file (Shift_JIS, UTF-8 with or without a byte-order mark, or
// ISO-2022-JP) to ISO-2022-JP: half-width katakana become full-width, as Japanese mail programs
// send them; a character ISO-2022-JP can't carry is refused, named. `fileName` names the file
// in a refusal.
ListText ToListText(std::string_view bytes, std::string_view fileName);

// The MIME header lines of a mail that carries such text.
inline constexpr char kIso2022JpHeader[] =
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
    "Content-Transfer-Encoding: 7bit\r\n";

}  // namespace tarnwick
