#include "core/config/config_lines.h"

#include <algorithm>

#include "core/config/majordomo_config.h"
#include "core/platform/cp932_case.h"
#include "core/platform/trim.h"

namespace tarnwick {
namespace {

bool IsWhiteSpace(char c) {
  return kWhiteSpace.find(c) != std::string_view::npos;
}

bool HasDashEscapes(std::size_t key) {
  return kConfigKeys[key].rule == ValueRule::DashEscaped;
}

std::string Unescaped(std::size_t key, std::string_view line) {
  std::string element(Trim(line));
  if (!HasDashEscapes(key)) return element;
  // Majordomo's three rules, in its order.
  if (element == "-") element.clear();
  if (element.size() >= 2 && element[0] == '-' && IsWhiteSpace(element[1])) element.erase(0, 1);
  if (element.starts_with("--")) element.erase(0, 1);
  return element;
}

struct KeyLine {
  std::optional<std::size_t> key;
  bool hereDocument = false;
  std::string_view value;
};

// A line as Majordomo splits it: blank and comment lines are none; a "#" starts a comment
// anywhere; the key ends at the first "=", unless it holds "<<", which then starts a block.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::string_view content = TrimLeft(line);
  if (content.empty() || content.starts_with('#')) return std::nullopt;
  line = line.substr(0, line.find('#'));
  KeyLine parsed;
  std::size_t split = line.find('=');
  std::size_t mark = 1;
  const std::size_t hereDocument = line.find("<<");
  if (hereDocument != std::string_view::npos && hereDocument < split) {
    split = hereDocument;
    mark = 2;
    parsed.hereDocument = true;
  }
  const std::string_view name = line.substr(0, split);
  parsed.key = FindConfigKey(LowerAscii(Trim(name)));
  parsed.value =
      split == std::string_view::npos ? std::string_view() : Trim(line.substr(split + mark));
  return parsed;
}

bool StartsWith(const FileLine& line, std::string_view prefix) {
  return line.text.starts_with(prefix);
}

// The line after a block that starts at `first` (the line naming the key), or after `first`
// itself when it starts none.
std::size_t AfterBlock(const std::vector<FileLine>& lines, std::size_t first, std::size_t limit) {
  const std::optional<KeyLine> line = ParseKeyLine(lines[first].text);
  std::size_t end = first + 1;
  if (!line || !line->key || !line->hereDocument ||
      kConfigKeys[*line->key].kind != ConfigKind::Block)
    return end;
  while (end < limit && Trim(lines[end].text) != line->value)
    ++end;
  return end < limit ? end + 1 : end;
}

// The reply's marker is looked for outside blocks only: a footer line ">>>> config" is the
// list's own text.
std::size_t ConfigBegin(const std::vector<FileLine>& lines) {
  for (std::size_t i = 0; i < lines.size(); i = AfterBlock(lines, i, lines.size())) {
    if (StartsWith(lines[i], ">>>> config")) return i + 1;
  }
  return 0;
}

// The next configuration's marker ends this one too: it is another command's answer.
std::size_t ConfigEnd(const std::vector<FileLine>& lines, std::size_t begin) {
  for (std::size_t i = begin; i < lines.size(); i = AfterBlock(lines, i, lines.size())) {
    if (StartsWith(lines[i], ">>>> config")) return i;
    if (i + 1 < lines.size() && StartsWith(lines[i], "#[Last updated") &&
        StartsWith(lines[i + 1], ">>>> end"))
      return i;
  }
  return lines.size();
}

}  // namespace

std::vector<FileLine> SplitFileLines(std::string_view whole) {
  std::vector<FileLine> lines;
  while (!whole.empty()) {
    const std::size_t newline = whole.find('\n');
    const std::size_t next = newline == std::string_view::npos ? whole.size() : newline + 1;
    std::string_view text =
        whole.substr(0, newline == std::string_view::npos ? whole.size() : newline);
    std::size_t endLength = next - text.size();
    if (newline != std::string_view::npos && text.ends_with('\r')) {
      text.remove_suffix(1);
      ++endLength;
    }
    lines.push_back({text, whole.substr(text.size(), endLength)});
    whole.remove_prefix(next);
  }
  return lines;
}

ConfigLayout ReadConfigLayout(const std::vector<FileLine>& lines) {
  ConfigLayout layout;
  layout.begin = ConfigBegin(lines);
  layout.end = ConfigEnd(lines, layout.begin);
  for (std::size_t i = layout.begin; i < layout.end;) {
    ConfigEntry entry;
    entry.first = i;
    entry.end = i + 1;
    const std::optional<KeyLine> line = ParseKeyLine(lines[i].text);
    const bool block = line && line->key && kConfigKeys[*line->key].kind == ConfigKind::Block;
    // A block written for a one-line key is a line Majordomo rejects: it is kept, not read.
    if (line && line->key && !(line->hereDocument && !block)) {
      entry.key = line->key;
      if (!block) {
        entry.value = line->value;
      } else if (!line->hereDocument) {
        // "key = value" for a block key: a block of that one element
        if (!line->value.empty()) entry.elements.push_back(Unescaped(*entry.key, line->value));
      } else {
        while (entry.end < layout.end && Trim(lines[entry.end].text) != line->value) {
          entry.elements.push_back(Unescaped(*entry.key, lines[entry.end].text));
          ++entry.end;
        }
        if (entry.end < layout.end) ++entry.end;  // the line that ends the block
      }
    }
    i = entry.end;
    layout.entries.push_back(std::move(entry));
  }
  return layout;
}

std::vector<std::string> BlockLines(std::size_t key, const std::vector<std::string>& elements) {
  std::vector<std::string> lines;
  for (const std::string& element : elements) {
    std::string line(HasDashEscapes(key) ? TrimRight(element) : Trim(element));
    if (line == "EOF") {
      line = " EOF";
    } else if (HasDashEscapes(key) && line.starts_with(">>>>")) {
      // Never a line Majordomo's reply would carry as one of its own markers: the element
      // reads back with a blank before it.
      line.insert(0, "- ");
    } else if (HasDashEscapes(key) &&
               (line.empty() || line.starts_with('-') || IsWhiteSpace(line.front()))) {
      line.insert(0, "-");
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string BlockStop(const std::vector<std::string>& lines) {
  std::string stop = "END";
  for (int n = 1; std::any_of(lines.begin(), lines.end(),
                              [&](const std::string& line) { return Trim(line) == stop; });
       ++n) {
    stop = "END" + std::to_string(n);
  }
  return stop;
}

std::vector<std::string> BlockElements(std::string_view text) {
  std::vector<std::string> elements;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view element = text.substr(0, newline);
    if (element.ends_with('\r')) element.remove_suffix(1);
    elements.emplace_back(element);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
  }
  return elements;
}

}  // namespace tarnwick
