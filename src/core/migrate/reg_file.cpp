#include "core/migrate/reg_file.h"

#include <charconv>

#include "core/platform/text_codec.h"
#include "core/platform/trim.h"
#include "core/platform/whole_number.h"

namespace tarnwick {
namespace {

constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4 = "REGEDIT4";

// A quoted string at the start of the text, its escapes undone; `rest` is what follows it.
std::optional<std::string> Quoted(std::string_view text, std::string_view& rest) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string value;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '"') {
      rest = text.substr(i + 1);
      return value;
    }
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  return std::nullopt;
}

std::optional<std::string> HexBytes(std::string_view list) {
  std::string bytes;
  while (!(list = Trim(list)).empty()) {
    unsigned byte = 0;
    const auto [end, ec] = std::from_chars(list.data(), list.data() + list.size(), byte, 16);
    if (ec != std::errc() || byte > 0xFF || end - list.data() > 2) return std::nullopt;
    bytes += static_cast<char>(byte);
    list.remove_prefix(static_cast<std::size_t>(end - list.data()));
    list = Trim(list);
    if (!list.empty() && list.front() != ',') return std::nullopt;
    if (!list.empty()) list.remove_prefix(1);
  }
  return bytes;
}

// The text of a REG_SZ or REG_EXPAND_SZ stored as bytes: UTF-16LE in a version 5 file, the ANSI
// code page in REGEDIT4; up to its terminating zero.
std::optional<std::string> TextOfBytes(const std::string& bytes, bool unicode) {
  if (!unicode) return ToUtf8(bytes.substr(0, bytes.find('\0')), Encoding::Cp932);
  std::size_t end = 0;
  while (end + 1 < bytes.size() && (bytes[end] != '\0' || bytes[end + 1] != '\0'))
    end += 2;
  return ToUtf8(bytes.substr(0, end), Encoding::Utf16Le);
}

// The data after "=": a string, dword:, hex: or hex(N):.
std::optional<RegValue> Data(std::string_view data, bool unicode) {
  RegValue value;
  std::string_view rest;
  if (std::optional<std::string> text = Quoted(data, rest)) {
    if (!Trim(rest).empty()) return std::nullopt;
    value.text = std::move(*text);
    return value;
  }
  if (data.starts_with("dword:")) {
    data.remove_prefix(6);
    const std::optional<std::uint32_t> number = WholeNumber<std::uint32_t>(data, 16);
    if (!number || data.size() != 8) return std::nullopt;
    value.number = *number;
    return value;
  }
  unsigned type = 3;  // hex: is REG_BINARY
  if (data.starts_with("hex(")) {
    const std::size_t close = data.find("):");
    if (close == std::string_view::npos ||
        std::from_chars(data.data() + 4, data.data() + close, type, 16).ec != std::errc())
      return std::nullopt;
    data.remove_prefix(close + 2);
  } else if (data.starts_with("hex:")) {
    data.remove_prefix(4);
  } else {
    return std::nullopt;
  }
  const std::optional<std::string> bytes = HexBytes(data);
  if (!bytes) return std::nullopt;
  if (type == 1 || type == 2) {
    value.text = TextOfBytes(*bytes, unicode);
    if (!value.text) return std::nullopt;
  } else if (type == 4 && bytes->size() == 4) {
    value.number = static_cast<std::uint32_t>(static_cast<unsigned char>((*bytes)[0])) |
                   static_cast<std::uint32_t>(static_cast<unsigned char>((*bytes)[1])) << 8 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>((*bytes)[2])) << 16 |
                   static_cast<std::uint32_t>(static_cast<unsigned char>((*bytes)[3])) << 24;
  }
  // Other types (binary, multi-strings, qwords) are kept as values without data: the settings
  // use none of them.
  return value;
}

std::optional<RegValue> ValueLine(std::string_view line, bool unicode) {
  RegValue value;
  std::string_view rest;
  if (line.starts_with("@")) {
    rest = line.substr(1);
  } else if (std::optional<std::string> name = Quoted(line, rest)) {
    value.name = std::move(*name);
  } else {
    return std::nullopt;
  }
  rest = Trim(rest);
  if (rest.empty() || rest.front() != '=') return std::nullopt;
  std::optional<RegValue> data = Data(Trim(rest.substr(1)), unicode);
  if (!data) return std::nullopt;
  data->name = std::move(value.name);
  return data;
}

RegFile Refused(std::size_t line, std::string reason) {
  RegFile file;
  file.badLine = line;
  file.reason = std::move(reason);
  return file;
}

// The file as UTF-8, and whether it was a version 5 (UTF-16LE) export.
std::optional<std::string> Decoded(std::string_view bytes, bool& unicode) {
  unicode = bytes.starts_with("\xFF\xFE");
  return unicode ? ToUtf8(bytes.substr(2), Encoding::Utf16Le) : ToUtf8(bytes, Encoding::Cp932);
}

}  // namespace

RegFile ParseRegFile(std::string_view bytes) {
  if (bytes.size() > kMaxRegFileBytes) return Refused(1, "ﾌｧｲﾙが大きすぎます");
  bool unicode = false;
  // Shift_JIS is decoded before escapes are undone: a second byte 0x5C is part of a character.
  const std::optional<std::string> text = Decoded(bytes, unicode);
  if (!text) return Refused(1, unicode ? "UTF-16LEとして読めません" : "Shift_JISとして読めません");
  RegFile file;
  std::size_t number = 0;
  std::size_t start = 0;
  bool headerSeen = false;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string line(Trim(std::string_view(*text).substr(start, end - start)));
    start = end + 1;
    const std::size_t lineNumber = ++number;
    // A hex list goes on over the next lines, each but the last ending in a backslash.
    while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
           start < text->size()) {
      end = text->find('\n', start);
      if (end == std::string::npos) end = text->size();
      line.pop_back();
      line += Trim(std::string_view(*text).substr(start, end - start));
      start = end + 1;
      ++number;
    }
    if (line.empty() || line.front() == ';') continue;
    if (!headerSeen) {
      if (line != (unicode ? kVersion5 : kVersion4))
        return Refused(lineNumber, "レジストリの書き出しﾌｧｲﾙではありません");
      headerSeen = true;
    } else if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3 || line[1] == '-')
        return Refused(lineNumber, "ｷｰの行を読めません");
      file.keys.push_back({line.substr(1, line.size() - 2), {}});
    } else if (std::optional<RegValue> value = ValueLine(line, unicode);
               value && !file.keys.empty()) {
      file.keys.back().values.push_back(std::move(*value));
    } else {
      return Refused(lineNumber, "値の行を読めません");
    }
  }
  if (!headerSeen) return Refused(1, "レジストリの書き出しﾌｧｲﾙではありません");
  return file;
}

}  // namespace tarnwick
