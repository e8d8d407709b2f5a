#include "core/platform/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"

namespace tarnwick {
namespace {

// iconv's "CP932" (not "SHIFT_JIS"): it keeps 0x5C as the backslash and maps both WAVE DASH and
// FULLWIDTH TILDE, which Linux input methods produce, to 0x8160.
constexpr char kCodePage[] = "CP932";
constexpr char kUtf8[] = "UTF-8";
constexpr char kIso2022Jp[] = "ISO-2022-JP";
constexpr char kUtf16Le[] = "UTF-16LE";
constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The escape sequences of ISO-2022-JP that switch to JIS X 0208 and back to ASCII.
constexpr std::string_view kToJis = "\x1B$B";
constexpr std::string_view kToAscii = "\x1B(B";

const char* IconvName(Encoding encoding) {
  switch (encoding) {
    case Encoding::Cp932:
      return kCodePage;
    case Encoding::Utf8:
      return kUtf8;
    case Encoding::Iso2022Jp:
      return kIso2022Jp;
    case Encoding::Utf16Le:
      return kUtf16Le;
  }
  return kUtf8;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Ends the conversion; 0, or the errno when the input stopped inside a character.
  int Finish(char** dst, size_t* room) {
    return iconv(cd_, nullptr, nullptr, dst, room) == static_cast<size_t>(-1) ? errno : 0;
  }

  // Converts as much of [in, in + left) as it can, appending to out. Returns 0 when everything
  // was converted, otherwise the errno of the sequence it stopped at (in/left then point there).
  int Step(const char*& in, size_t& left, std::string& out) {
    char buffer[1024];
    while (left > 0) {
      char* dst = buffer;
      size_t room = sizeof buffer;
      char* src = const_cast<char*>(in);
      const size_t rc = iconv(cd_, &src, &left, &dst, &room);
      in = src;
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) return errno;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

// The length of the well-formed UTF-8 character at the start of the text, 0 when there is none.
size_t Utf8CharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 0;
  if (lead < 0x80)
    length = 1;
  else if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  if (length == 0 || length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// The first character of the UTF-8 text that does not come back from CP932 as itself, or the
// empty text when all do. WAVE DASH comes back as FULLWIDTH TILDE: Linux input methods type the
// one where Windows has the other, and both mean 0x8160.
std::string FirstChanged(std::string_view original, std::string_view back) {
  constexpr std::string_view kWaveDash = "\xE3\x80\x9C";
  constexpr std::string_view kFullwidthTilde = "\xEF\xBD\x9E";
  while (!original.empty()) {
    const std::string_view mine =
        original.substr(0, std::max<size_t>(Utf8CharacterLength(original), 1));
    const std::string_view theirs = back.substr(0, Utf8CharacterLength(back));
    if (mine != theirs && !(mine == kWaveDash && theirs == kFullwidthTilde))
      return std::string(mine);
    original.remove_prefix(mine.size());
    back.remove_prefix(theirs.size());
  }
  return {};
}

// JIS X 0208 in Shift_JIS: the rows every ISO-2022-JP reader knows. Row 13 and the IBM and
// user-defined areas are Windows' own; 0xA1 to 0xDF are the half-width katakana.
bool IsJisX0208Lead(unsigned char lead) {
  return (lead >= 0x81 && lead <= 0x84) || (lead >= 0x88 && lead <= 0x9F) ||
         (lead >= 0xE0 && lead <= 0xEA);
}

// The JIS X 0208 code of a Shift_JIS character, by the fixed arithmetic between the two.
std::uint16_t ToJis(unsigned char lead, unsigned char trail) {
  const unsigned row = (lead >= 0xE0 ? lead - 0x40 : lead) - 0x81;
  if (trail >= 0x9F) return static_cast<std::uint16_t>(((row * 2 + 0x22) << 8) | (trail - 0x7E));
  return static_cast<std::uint16_t>(((row * 2 + 0x21) << 8) |
                                    (trail - (trail < 0x7F ? 0x1F : 0x20)));
}

}  // namespace

Cp932Encoding Utf8ToCp932(std::string_view utf8) {
  Cp932Encoding result;
  // ASCII is the same bytes in both (names of folders and lists mostly are): no converter.
  if (IsAsciiText(utf8)) return {true, std::string(utf8), {}};
  Converter converter(kCodePage, kUtf8);
  if (!converter.valid()) return result;
  const char* in = utf8.data();
  size_t left = utf8.size();
  if (converter.Step(in, left, result.text) != 0) {
    const std::string_view rest(in, left);
    result.offending = rest.substr(0, Utf8CharacterLength(rest));
    result.text.clear();
    return result;
  }
  // iconv stands a near character in for some (the YEN SIGN becomes the backslash, the EM DASH
  // the HORIZONTAL BAR, tag characters vanish): such text would not be what was typed.
  const std::string back = Cp932ToUtf8(result.text);
  if (back != utf8) {
    result.offending = FirstChanged(utf8, back);
    if (!result.offending.empty()) {
      result.text.clear();
      return result;
    }
  }
  result.ok = true;
  return result;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAsciiText(cp932)) return std::string(cp932);
  std::string out;
  Converter converter(kUtf8, kCodePage);
  if (!converter.valid()) return out;
  const char* in = cp932.data();
  size_t left = cp932.size();
  while (converter.Step(in, left, out) != 0) {
    // Skip exactly one byte, so that a lone lead byte does not swallow a following ASCII byte.
    out += kReplacement;
    ++in;
    --left;
  }
  return out;
}

bool IsValidCp932(std::string_view cp932) {
  return IsAsciiText(cp932) || ToUtf8(cp932, Encoding::Cp932).has_value();
}

std::optional<std::string> ToUtf8(std::string_view text, Encoding encoding) {
  Converter converter(kUtf8, IconvName(encoding));
  if (!converter.valid()) return std::nullopt;
  const char* in = text.data();
  size_t left = text.size();
  std::string utf8;
  if (converter.Step(in, left, utf8) != 0) return std::nullopt;
  // A stateful encoding (ISO-2022-JP) must end in its initial state: flush it.
  char buffer[16];
  char* dst = buffer;
  size_t room = sizeof buffer;
  if (converter.Finish(&dst, &room) != 0) return std::nullopt;
  utf8.append(buffer, static_cast<size_t>(dst - buffer));
  return utf8;
}

Iso2022JpEncoding Cp932ToIso2022Jp(std::string_view cp932) {
  Iso2022JpEncoding jis;
  bool inJis = false;
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    const auto byte = static_cast<unsigned char>(cp932[i]);
    if (IsAscii(cp932[i])) {
      if (inJis) jis.text += kToAscii;
      inJis = false;
      jis.text += cp932[i];
      continue;
    }
    const auto trail = i + 1 < cp932.size() ? static_cast<unsigned char>(cp932[i + 1]) : 0;
    const bool pair = IsCp932LeadByte(byte) && IsCp932TrailByte(trail);
    if (!pair || !IsJisX0208Lead(byte)) {
      jis.unsendable = std::string(cp932.substr(i, pair ? 2 : 1));
      jis.text.clear();
      return jis;
    }
    if (!inJis) jis.text += kToJis;
    inJis = true;
    const std::uint16_t code = ToJis(byte, trail);
    jis.text += static_cast<char>(code >> 8);
    jis.text += static_cast<char>(code & 0xFF);
    ++i;
  }
  if (inJis) jis.text += kToAscii;
  jis.ok = true;
  return jis;
}

}  // namespace tarnwick
