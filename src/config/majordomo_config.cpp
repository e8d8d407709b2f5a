#include "config/majordomo_config.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/cp932_case.h"
#include "platform/file_bytes.h"
#include "platform/text_lines.h"
#include "platform/trim.h"

namespace tarnwick {

using enum ConfigKind;

const std::array<ConfigKey, kConfigKeyCount> kConfigKeys{{
    {"admin_passwd", Text},
    {"administrivia", YesNo},
    {"advertise", Block},
    {"approve_passwd", Text},
    {"archive_dir", Text},
    {"comments", Block},
    {"date_info", YesNo},
    {"date_intro", YesNo},
    {"debug", YesNo},
    {"description", Text},
    {"digest_archive", Text},
    {"digest_issue", Number},
    {"digest_maxdays", OptionalNumber},
    {"digest_maxlines", OptionalNumber},
    {"digest_name", Text},
    {"digest_rm_footer", Text},
    {"digest_rm_fronter", Text},
    {"digest_volume", Number},
    {"digest_work_dir", Text},
    {"get_access", Text},
    {"index_access", Text},
    {"info_access", Text},
    {"intro_access", Text},
    {"maxlength", Number},
    {"message_footer", Block},
    {"message_fronter", Block},
    {"message_headers", Block},
    {"moderate", YesNo},
    {"moderator", Text},
    {"mungedomain", YesNo},
    {"noadvertise", Block},
    {"precedence", Text},
    {"purge_received", YesNo},
    {"reply_to", Text},
    {"resend_host", Text},
    {"restrict_post", Text},
    {"sender", Text},
    {"strip", YesNo},
    {"subject_prefix", Text},
    {"subscribe_policy", Text},
    {"taboo_body", Block},
    {"taboo_headers", Block},
    {"unsubscribe_policy", Text},
    {"which_access", Text},
    {"who_access", Text},
}};

namespace {

constexpr char kCrLf[] = "\r\n";

struct KeyLine {
  std::size_t key;
  std::string_view value;
};

// A line names a key when the text before its first "=" (or, without one, its first "<"),
// trailing blanks removed and lowered, is that key's name.
std::optional<KeyLine> RecognizeKey(std::string_view line) {
  std::size_t mark = line.find('=');
  if (mark == std::string_view::npos) mark = line.find('<');
  if (mark == std::string_view::npos) return std::nullopt;
  const std::optional<std::size_t> key =
      FindConfigKey(FoldCp932Case(TrimRight(line.substr(0, mark))));
  if (!key) return std::nullopt;
  return KeyLine{*key, TrimLeft(line.substr(mark + 1))};
}

std::int32_t LeadingNumber(std::string_view text) {
  std::int32_t number = 0;
  if (text.starts_with('+')) text.remove_prefix(1);
  std::from_chars(text.data(), text.data() + text.size(), number);
  return number;
}

// The file's lines: a CR LF or a lone LF ends one, neither belongs to it.
std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& file) {
  const std::optional<std::string> whole = ReadWholeFile(file, kMaxConfigFileBytes);
  if (!whole) return std::nullopt;
  std::vector<std::string> lines;
  ForEachLine(*whole, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

void ParseValue(ConfigKind kind, std::string_view text, ConfigValue& value) {
  switch (kind) {
    case Text:
      value.text = text;
      break;
    case YesNo:
      value.yesNo = EqualsCp932IgnoreCase(text, "yes") ? 0 : 1;
      break;
    case Number:
      value.number = LeadingNumber(text);
      break;
    case OptionalNumber:
      value.useDefault = text.empty();
      value.number = text.empty() ? 0 : LeadingNumber(text);
      break;
    case Block:
      break;
  }
}

std::string Padded(std::string_view name) {
  char line[32];
  std::snprintf(line, sizeof line, "%-20.*s", static_cast<int>(name.size()), name.data());
  return line;
}

// The block's lines as they go into the file, ending in a line break.
std::string BlockLines(const std::string& value) {
  std::string lines;
  for (const char c : value) {
    if (c == '\n')
      lines += kCrLf;
    else if (c != '\r')
      lines += c;
  }
  // An empty block keeps its single empty line (Majordomo's own empty block); a non-empty one
  // goes straight to END, since an extra empty line would become an element of its own.
  if (lines.empty() || !lines.ends_with(kCrLf)) lines += kCrLf;
  return lines;
}

std::string KeyLineText(const ConfigKey& key, const ConfigValue& value) {
  const std::string padded = Padded(key.name);
  switch (key.kind) {
    case Text:
      return padded + "=   " + value.text + kCrLf;
    case YesNo:
      return padded + "=   " + (value.yesNo == 0 ? "yes" : "no") + kCrLf;
    case Number:
      return padded + "=   " + std::to_string(value.number) + kCrLf;
    case OptionalNumber:
      return value.useDefault ? padded + "=" + kCrLf
                              : padded + "=   " + std::to_string(value.number) + kCrLf;
    case Block:
      return padded + "<<  END" + kCrLf + BlockLines(value.text) + "END" + kCrLf;
  }
  return {};
}

// Writes the content to the file with the given mode, all of it and on disk, or gives the errno.
int WriteWhole(const std::filesystem::path& file, const std::string& content, mode_t mode) {
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return errno;
  fchmod(fd, mode);  // the passwords in it stay as private as they were
  std::string_view rest = content;
  while (!rest.empty()) {
    const ssize_t written = write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = errno;
      close(fd);
      return error;
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  const int error = fsync(fd) == 0 ? 0 : errno;
  return close(fd) == 0 ? error : errno;
}

}  // namespace

std::optional<std::size_t> FindConfigKey(std::string_view name) {
  for (std::size_t i = 0; i < kConfigKeys.size(); ++i) {
    if (kConfigKeys[i].name == name) return i;
  }
  return std::nullopt;
}

std::filesystem::path ConfigScratchPath(const std::filesystem::path& file) {
  std::filesystem::path scratch = file;
  scratch.replace_extension(".bak");
  if (scratch == file) scratch += ".tmp";  // a file named *.bak must not be its own scratch
  return scratch;
}

bool MajordomoConfig::Load(const std::filesystem::path& file) {
  const std::optional<std::vector<std::string>> lines = ReadLines(file);
  if (!lines) return false;
  path_ = file;
  for (std::size_t i = 0; i < lines->size(); ++i) {
    const std::string_view line = TrimLeft((*lines)[i]);
    if (line.empty() || line.starts_with('#')) continue;
    const std::optional<KeyLine> key = RecognizeKey(line);
    if (!key) continue;
    ConfigValue& value = values_[key->key];
    value.present = true;
    ParseValue(kConfigKeys[key->key].kind, key->value, value);
    if (kConfigKeys[key->key].kind != Block) continue;
    value.text.clear();
    while (++i < lines->size()) {
      const std::string_view blockLine = TrimLeft((*lines)[i]);
      if (blockLine == "END") break;
      if (!blockLine.empty()) value.text.append(blockLine).append(kCrLf);
    }
  }
  return true;
}

ConfigSave MajordomoConfig::Save(int& error) const {
  error = 0;
  if (path_.empty()) return ConfigSave::NotLoaded;
  const std::optional<std::vector<std::string>> lines = ReadLines(path_);
  if (!lines) {
    error = errno != 0 ? errno : EIO;
    return ConfigSave::Failed;
  }
  std::string out;
  for (std::size_t i = 0; i < lines->size(); ++i) {
    const std::string& line = (*lines)[i];
    if (const std::optional<KeyLine> key = RecognizeKey(line)) {
      out += KeyLineText(kConfigKeys[key->key], values_[key->key]);
      if (kConfigKeys[key->key].kind == Block) {
        while (++i < lines->size() && FoldCp932Case((*lines)[i]) != "end") {
        }
      }
    } else if (line.starts_with(">>>> config")) {
      out.clear();  // what came before is the reply mail around the configuration
    } else if (line.starts_with("#[Last updated")) {
      const std::string next = i + 1 < lines->size() ? (*lines)[i + 1] : std::string();
      if (next.starts_with(">>>> end")) break;
      out += line + kCrLf + next + kCrLf;
      ++i;
    } else {
      out += line + kCrLf;
    }
  }
  const std::filesystem::path scratch = ConfigScratchPath(path_);
  struct stat original {};
  const mode_t mode = stat(path_.c_str(), &original) == 0 ? (original.st_mode & 07777) : 0600;
  error = WriteWhole(scratch, out, mode);
  if (error == 0 && std::rename(scratch.c_str(), path_.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(scratch.c_str());
    return ConfigSave::Failed;
  }
  return ConfigSave::Saved;
}

}  // namespace tarnwick
