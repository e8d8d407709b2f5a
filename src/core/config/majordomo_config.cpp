#include "core/config/majordomo_config.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <vector>

#include "core/config/config_lines.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "core/platform/file_replace.h"

namespace tarnwick {

using enum ConfigKind;

namespace {

constexpr char kCrLf[] = "\r\n";

// The leading decimal number of the text, one sign at most; 0 when there is none or it does not
// fit (such a value is shown as 0, and its line is never rewritten unless the key is changed).
std::int32_t LeadingNumber(std::string_view text) {
  std::int32_t number = 0;
  if (text.starts_with('+') && !text.starts_with("+-")) text.remove_prefix(1);
  if (std::from_chars(text.data(), text.data() + text.size(), number).ec != std::errc()) return 0;
  return number;
}

int ParseYesNo(std::string_view text) {
  const std::string word = LowerAscii(text);
  if (word == "yes" || word == "y") return 0;
  if (word == "no" || word == "n") return 1;
  return -1;
}

void ParseValue(ConfigKind kind, const ConfigEntry& entry, ConfigValue& value) {
  switch (kind) {
    case Text:
      value.text = entry.value;
      break;
    case YesNo:
      value.yesNo = ParseYesNo(entry.value);
      break;
    case Number:
      value.number = LeadingNumber(entry.value);
      break;
    case OptionalNumber:
      value.useDefault = entry.value.empty();
      value.number = entry.value.empty() ? 0 : LeadingNumber(entry.value);
      break;
    case Block:
      value.text.clear();
      for (const std::string& element : entry.elements)
        value.text.append(element).append(kCrLf);
      break;
  }
}

bool SameValue(ConfigKind kind, const ConfigValue& a, const ConfigValue& b) {
  switch (kind) {
    case Text:
      return a.text == b.text;
    case YesNo:
      return a.yesNo == b.yesNo;
    case Number:
      return a.number == b.number;
    case OptionalNumber:
      return a.useDefault == b.useDefault && (a.useDefault || a.number == b.number);
    case Block:
      return BlockElements(a.text) == BlockElements(b.text);
  }
  return false;
}

std::string Padded(std::string_view name) {
  char line[32];
  std::snprintf(line, sizeof line, "%-20.*s", static_cast<int>(name.size()), name.data());
  return line;
}

std::string KeyText(std::size_t index, const ConfigValue& value, std::string_view eol) {
  const ConfigKey& key = kConfigKeys[index];
  const std::string padded = Padded(key.name);
  const auto simple = [&](std::string_view text) {
    return padded + "=" + (text.empty() ? "" : "   ") + std::string(text) + std::string(eol);
  };
  switch (key.kind) {
    case Text:
      return simple(value.text);
    case YesNo:
      return simple(value.yesNo == 0 ? "yes" : "no");
    case Number:
      return simple(std::to_string(value.number));
    case OptionalNumber:
      return simple(value.useDefault ? "" : std::to_string(value.number));
    case Block: {
      const std::vector<std::string> lines = BlockLines(index, BlockElements(value.text));
      const std::string stop = BlockStop(lines);
      std::string text = padded + "<<  " + stop + std::string(eol);
      for (const std::string& line : lines)
        text += line + std::string(eol);
      return text + stop + std::string(eol);
    }
  }
  return {};
}

// The line end new lines get: the file's own, CR LF in a file without any.
std::string_view LineEnd(const std::vector<FileLine>& lines) {
  for (const FileLine& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return kCrLf;
}

}  // namespace

bool MajordomoConfig::Load(const std::filesystem::path& file) {
  const std::optional<std::string> whole = ReadWholeFile(file, kMaxConfigFileBytes);
  if (!whole) return false;
  path_ = file;
  const std::vector<FileLine> lines = SplitFileLines(*whole);
  for (const ConfigEntry& entry : ReadConfigLayout(lines).entries) {
    if (!entry.key) continue;
    ConfigValue& value = values_[*entry.key];
    value.present = true;  // the last occurrence of a key wins, as on the server
    ParseValue(kConfigKeys[*entry.key].kind, entry, value);
  }
  loaded_ = values_;
  return true;
}

bool MajordomoConfig::Changed(std::size_t index) const {
  return !SameValue(kConfigKeys[index].kind, values_[index], loaded_[index]);
}

ConfigSave MajordomoConfig::Save(int& error) const {
  error = 0;
  if (path_.empty()) return ConfigSave::NotLoaded;
  errno = 0;
  const std::optional<std::string> whole = ReadWholeFile(path_, kMaxConfigFileBytes);
  if (!whole) {
    error = errno != 0 ? errno : EIO;
    return ConfigSave::Failed;
  }
  const std::vector<FileLine> lines = SplitFileLines(*whole);
  const std::string_view fileEnd = LineEnd(lines);
  std::string out;
  for (const ConfigEntry& entry : ReadConfigLayout(lines).entries) {
    if (entry.key && Changed(*entry.key)) {
      const std::string_view end = lines[entry.first].end;
      out += KeyText(*entry.key, values_[*entry.key], end.empty() ? fileEnd : end);
      continue;
    }
    for (std::size_t i = entry.first; i < entry.end; ++i)
      out.append(lines[i].text).append(lines[i].end);
  }
  error = ReplaceFileContent(path_, out);
  return error == 0 ? ConfigSave::Saved : ConfigSave::Failed;
}

}  // namespace tarnwick
