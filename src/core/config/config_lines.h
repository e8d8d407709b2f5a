// How Majordomo reads a list configuration file, line by line. The reader and the writer of the
// configuration both walk a file through here, so that they always agree on which lines hold
// which key and where a block ends.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// A line of the file and its own line end (CR LF, LF, or none on a last line), so that lines
// nobody changed are written back byte for byte.
struct FileLine {
  std::string_view text;
  std::string_view end;
};

std::vector<FileLine> SplitFileLines(std::string_view whole);

// One entry of the file: a line naming one of the 45 keys (with the block that follows it), or
// any other line (comments, blank lines, other keys, lines Majordomo would reject).
struct ConfigEntry {
  std::size_t first = 0;  // the entry's lines are [first, end)
  std::size_t end = 0;
  std::optional<std::size_t> key;     // the index of the key, for a key's entry
  std::string value;                  // a one-line value: without its comment, trimmed
  std::vector<std::string> elements;  // a block's elements, as Majordomo takes them
};

// The entries of the configuration in the file. A configuration saved inside the server's reply
// mail is only what stands between the ">>>> config" line and the closing "#[Last updated"
// and ">>>> end" lines, or the next ">>>> config" line; `begin` and `end` say which lines those
// are.
struct ConfigLayout {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::vector<ConfigEntry> entries;
};

ConfigLayout ReadConfigLayout(const std::vector<FileLine>& lines);

// A block's elements as lines Majordomo reads back as the same elements: a "-" before an empty
// element, a leading "-" or leading blanks; trailing blanks are lost, as Majordomo loses them.
// A line "EOF" is written indented, so that it can't end the newconfig mail that carries it,
// and a line starting ">>>>" behind "- ", so that it can't be taken for a reply's marker.
std::vector<std::string> BlockLines(std::size_t key, const std::vector<std::string>& elements);

// A word that ends the block: "END", or another when an element would read as "END".
std::string BlockStop(const std::vector<std::string>& lines);

// The elements of a block value held as text, one per line (a final line break ends the last).
std::vector<std::string> BlockElements(std::string_view text);

}  // namespace tarnwick
