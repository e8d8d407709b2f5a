#include "core/compose/address_text.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>

#include "core/compose/file_content.h"
#include "core/compose/value_rules.h"
#include "core/platform/ascii.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_codec.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsAsciiBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsAsciiBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// The fields of one CSV line (RFC 4180: a quoted field may hold commas and doubled quotes).
std::vector<std::string> CsvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// A column header that names an address: "email", "E-Mail Address", "メールアドレス" and the like.
bool NamesAnAddress(std::string_view header) {
  std::string folded;
  for (const char c : Trimmed(header)) {
    if (c != ' ' && c != '-' && c != '_') folded += ToAsciiLower(c);
  }
  static constexpr std::array<std::string_view, 13> kNames{
      "email",    "emailaddress",   "mail",   "mailaddress", "address",    "addr",    "eメール",
      "ｅメール", "メールアドレス", "メアド", "アドレス",    "電子メール", "ﾒｰﾙｱﾄﾞﾚｽ"};
  return std::find(kNames.begin(), kNames.end(), folded) != kNames.end();
}

std::optional<std::size_t> AddressColumn(const std::vector<std::string>& header) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (NamesAnAddress(header[i])) return i;
  }
  return std::nullopt;
}

// Gathers what a text gives, line by line.
class Reader {
 public:
  Reader(ServerKind serverKind, AddressText& text) : serverKind_(serverKind), text_(text) {}

  void Take(std::size_t line, std::string_view candidate) {
    const Cp932Encoding cp932 = Utf8ToCp932(candidate);
    const std::string address = cp932.ok ? cp932.text : std::string(candidate);
    if (Refusal refusal = CheckAddressFor(serverKind_, address)) {
      Refuse(line, cp932.ok ? *refusal : "ｱﾄﾞﾚｽ「" + std::string(candidate) + "」は使えません");
      return;
    }
    if (seen_.insert(LowerAscii(address)).second) {
      text_.addresses.push_back(address);
    } else {
      ++text_.duplicates;
    }
  }

  void Refuse(std::size_t line, std::string reason) {
    if (++text_.refusedCount <= kMaxRefusedKept) text_.refused.push_back({line, std::move(reason)});
  }

 private:
  ServerKind serverKind_;
  AddressText& text_;
  std::unordered_set<std::string> seen_;
};

// A loose line: items between commas and semicolons (outside quotes and angle brackets); an item
// holding "<...>" gives what the brackets hold, any other gives each of its blank-separated words.
void TakeLoose(Reader& reader, std::size_t number, std::string_view line) {
  std::size_t start = 0;
  bool quoted = false;
  bool bracketed = false;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    const char c = i < line.size() ? line[i] : ',';
    if (c == '"' && !bracketed) quoted = !quoted;
    if (c == '<' && !quoted) bracketed = true;
    if (c == '>' && !quoted) bracketed = false;
    if ((c != ',' && c != ';') || (quoted && i < line.size()) || (bracketed && i < line.size()))
      continue;
    const std::string_view item = line.substr(start, i - start);
    start = i + 1;
    const std::size_t open = item.rfind('<');
    const std::size_t close = open == std::string_view::npos ? open : item.find('>', open);
    if (close != std::string_view::npos) {
      reader.Take(number, Trimmed(item.substr(open + 1, close - open - 1)));
      continue;
    }
    for (std::size_t at = 0; at < item.size();) {
      const std::size_t end =
          std::find_if(item.begin() + at, item.end(), IsAsciiBlank) - item.begin();
      if (end > at) reader.Take(number, item.substr(at, end - at));
      at = end + 1;
    }
  }
}

// A line of a list: an address, and after a blank a "#" comment if any.
std::string_view WithoutComment(std::string_view line) {
  for (std::size_t at = line.find('#'); at != std::string_view::npos; at = line.find('#', at + 1)) {
    if (at == 0 || IsAsciiBlank(line[at - 1])) return Trimmed(line.substr(0, at));
  }
  return Trimmed(line);
}

bool IsUtf8Bom(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF");
}

AddressText RefusedWhole(Refusal refusal) {
  AddressText text;
  text.refusal = std::move(refusal);
  return text;
}

}  // namespace

std::string DescribeRefused(const RefusedAddress& refused) {
  std::string reason = refused.reason;
  const std::size_t newline = reason.find('\n');
  if (newline != std::string::npos)
    reason = reason.substr(0, newline) + " (" + reason.substr(newline + 1) + ")";
  std::replace(reason.begin(), reason.end(), '\n', ' ');
  return std::to_string(refused.line) + "行目: " + reason;
}

AddressText ReadAddressText(std::string_view utf8, ServerKind serverKind, AddressTextRule rule) {
  AddressText text;
  if (IsUtf8Bom(utf8)) utf8.remove_prefix(3);
  Reader reader(serverKind, text);
  std::size_t number = 0;
  std::optional<std::size_t> column;
  bool first = true;
  ForEachLine(utf8, [&](std::string_view line) {
    ++number;
    const std::string_view content = WithoutComment(line);
    if (content.empty()) return true;
    if (first) {
      first = false;
      const std::vector<std::string> header = CsvFields(content);
      column = AddressColumn(header);
      if (column) return true;
      if (header.size() > 1 && rule == AddressTextRule::OnePerLine) {
        text.refusal =
            "1行目がCSVの見出しですが、ｱﾄﾞﾚｽの列がありません\n"
            "ｱﾄﾞﾚｽの列の見出しを「email」か「メールアドレス」にしてください";
        return false;
      }
    }
    if (column) {
      const std::vector<std::string> fields = CsvFields(line);
      if (*column >= fields.size()) {
        reader.Refuse(number, "ｱﾄﾞﾚｽの列がありません");
      } else if (const std::string_view field = Trimmed(fields[*column]); !field.empty()) {
        rule == AddressTextRule::Loose ? TakeLoose(reader, number, field)
                                       : reader.Take(number, field);
      }
    } else if (rule == AddressTextRule::Loose) {
      TakeLoose(reader, number, content);
    } else {
      reader.Take(number, content);
    }
    return true;
  });
  if (text.refusal) return RefusedWhole(std::move(text.refusal));
  return text;
}

DecodedText DecodeTextFile(std::string_view bytes) {
  DecodedText decoded;
  const bool ascii = std::all_of(bytes.begin(), bytes.end(), IsAscii);
  std::optional<std::string> utf8;
  if (ascii && bytes.find('\x1B') != std::string_view::npos) {
    utf8 = ToUtf8(bytes, Encoding::Iso2022Jp);
  } else if (IsUtf8Bom(bytes)) {
    utf8 = ToUtf8(bytes.substr(3), Encoding::Utf8);
  } else {
    utf8 = ToUtf8(bytes, Encoding::Utf8);
    if (!utf8) utf8 = ToUtf8(bytes, Encoding::Cp932);
  }
  if (utf8) {
    decoded.utf8 = std::move(*utf8);
  } else {
    decoded.refusal = "文字ｺｰﾄﾞが読めません\nUTF-8、Shift_JIS、ISO-2022-JPのﾃｷｽﾄﾌｧｲﾙが読めます";
  }
  return decoded;
}

AddressText ReadAddressFile(std::string_view cp932Path, ServerKind serverKind,
                            AddressTextRule rule) {
  FileContent content = ReadTextFile(cp932Path, kMaxAddressFileBytes);
  if (content.refusal) return RefusedWhole(std::move(content.refusal));
  DecodedText decoded = DecodeTextFile(content.bytes);
  if (decoded.refusal) {
    return RefusedWhole("ﾌｧｲﾙ「" + Cp932ToUtf8(cp932Path) + "」の" + *decoded.refusal);
  }
  return ReadAddressText(decoded.utf8, serverKind, rule);
}

}  // namespace tarnwick
