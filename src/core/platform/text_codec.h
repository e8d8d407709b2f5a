// Conversion between the program's own text (Shift_JIS, code page 932), UTF-8 and the other
// encodings text arrives in or leaves in. Every conversion between encodings is done here.
//
// Everything the program stores, writes and sends is CP932. UTF-8 appears only at the edges:
// the user interface (through QString) and the terminal of tarnwick-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The outcome of turning UTF-8 into CP932. When a character has no CP932 form, or one that reads
// back as another character (the YEN SIGN as the backslash), the conversion fails: `ok` is false
// and `offending` holds that character (as UTF-8) so the caller can name it to the user. Nothing
// is ever replaced. WAVE DASH and FULLWIDTH TILDE both become 0x8160, as on Windows.
struct Cp932Encoding {
  bool ok = false;
  std::string text;       // the CP932 bytes when ok
  std::string offending;  // the character CP932 can't hold, as UTF-8; empty for bytes that are
                          // not UTF-8 at all
};

Cp932Encoding Utf8ToCp932(std::string_view utf8);

// CP932 to UTF-8 for display. Never fails: a byte sequence that is not valid CP932 (a lone lead
// byte, a byte CP932 does not assign) shows as U+FFFD, one per bad byte, and the rest converts.
std::string Cp932ToUtf8(std::string_view cp932);

// True when every byte sequence of the text is valid CP932.
bool IsValidCp932(std::string_view cp932);

// The encodings text arrives in.
enum class Encoding {
  Cp932,  // the program's own: Shift_JIS with the Windows extensions
  Utf8,
  Iso2022Jp,  // Japanese mail
  Utf16Le,    // a registry export of Windows
};

// The text, in that encoding, as UTF-8; nothing when it is not valid text in that encoding.
std::optional<std::string> ToUtf8(std::string_view text, Encoding encoding);

// The outcome of turning CP932 into ISO-2022-JP (JIS X 0208 between escape sequences). Only the
// rows of JIS X 0208 travel: a character of Windows' own rows (NEC row 13, the IBM extensions,
// the user-defined area), a half-width katakana or a lone lead byte fails the conversion, and
// `unsendable` holds it (as CP932) so the caller can name it to the user.
struct Iso2022JpEncoding {
  bool ok = false;
  std::string text;        // the ISO-2022-JP bytes when ok; every line ends in ASCII
  std::string unsendable;  // the first character ISO-2022-JP can't carry
};

Iso2022JpEncoding Cp932ToIso2022Jp(std::string_view cp932);

}  // namespace tarnwick
