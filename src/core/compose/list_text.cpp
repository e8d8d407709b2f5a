#include "core/compose/list_text.h"

#include <array>
#include <cstdint>
#include <optional>

#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Full-width katakana (Shift_JIS) for the half-width ones, 0xA1 to 0xDF.
constexpr std::array<std::uint16_t, 63> kFullWidth{
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
    0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A,
    0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360,
    0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374,
    0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

// The full-width form of a half-width kana with the voicing mark after it ("ｶﾞ" is "ガ"), or 0.
std::uint16_t Voiced(unsigned char kana, unsigned char mark) {
  const std::uint16_t base = kFullWidth[kana - 0xA1];
  const bool ka = kana >= 0xB6 && kana <= 0xC4;     // ｶ to ﾄ
  const bool ha = kana >= 0xCA && kana <= 0xCE;     // ﾊ to ﾎ
  if (mark == 0xDE && kana == 0xB3) return 0x8394;  // ｳﾞ
  if (mark == 0xDE && (ka || ha)) return base + 1;
  if (mark == 0xDF && ha) return base + 2;
  return 0;
}

void AppendCode(std::uint16_t code, std::string& out) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

std::string FullWidthKatakana(std::string_view cp932) {
  std::string out;
  for (std::size_t i = 0; i < cp932.size(); ++i) {
    const auto byte = static_cast<unsigned char>(cp932[i]);
    if (IsCp932LeadByte(byte) && i + 1 < cp932.size()) {
      out.append(cp932.substr(i, 2));
      ++i;
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      const auto next = i + 1 < cp932.size() ? static_cast<unsigned char>(cp932[i + 1]) : 0;
      if (const std::uint16_t voiced = Voiced(byte, next)) {
        AppendCode(voiced, out);
        ++i;
      } else {
        AppendCode(kFullWidth[byte - 0xA1], out);
      }
    } else {
      out += cp932[i];
    }
  }
  return out;
}

// The text as Shift_JIS, from whichever of the encodings it is in.
std::optional<Cp932Encoding> AsCp932(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  std::optional<std::string> utf8;
  if (IsAsciiText(bytes)) {
    utf8 = ToUtf8(bytes, Encoding::Iso2022Jp);
  } else if (ToUtf8(bytes, Encoding::Utf8)) {
    utf8 = std::string(bytes);
  } else if (IsValidCp932(bytes)) {
    return Cp932Encoding{true, std::string(bytes), {}};
  }
  if (!utf8) return std::nullopt;
  return Utf8ToCp932(*utf8);
}

}  // namespace

ListText ToListText(std::string_view bytes, std::string_view fileName) {
  ListText result;
  const std::string named = "ﾌｧｲﾙ「" + Cp932ToUtf8(fileName) + "」";
  if (IsAsciiText(bytes) && bytes.find('\x1B') == std::string_view::npos) {
    result.text = bytes;
    return result;
  }
  const std::optional<Cp932Encoding> cp932 = AsCp932(bytes);
  if (!cp932) {
    result.refusal =
        named +
        "の文字ｺｰﾄﾞが分かりません\nShift_JIS、UTF-8、ISO-2022-JPのいずれかで保存してください";
    return result;
  }
  if (!cp932->ok) {
    result.refusal = named + "の「" + cp932->offending + "」はShift_JISにない文字のため送れません";
    return result;
  }
  Iso2022JpEncoding jis = Cp932ToIso2022Jp(FullWidthKatakana(cp932->text));
  if (!jis.ok) {
    result.refusal = named + "の「" + Cp932ToUtf8(jis.unsendable) +
                     "」は機種依存文字のため、ﾒﾝﾊﾞｰのﾒｰﾙｿﾌﾄで正しく表示されないことがあります\n"
                     "別の文字に置き換えてください";
    return result;
  }
  result.text = std::move(jis.text);
  result.japanese = true;
  return result;
}

}  // namespace tarnwick
