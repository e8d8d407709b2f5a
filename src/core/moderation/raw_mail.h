// A mail's bytes taken apart without changing one of them: the held post a notice carries must be
// sent back to the server exactly as it came, so nothing here decodes or re-folds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

struct RawMail {
  std::string_view header;  // the header lines with their line ends
  std::string_view body;    // everything after the empty line that ends the header
  bool whole = false;       // an empty line ends the header; without one all is header
};

RawMail SplitMail(std::string_view mail);
// The parts point into the mail: splitting a temporary would leave them pointing at freed bytes.
RawMail SplitMail(std::string&& mail) = delete;

// The value of the first field of that name (letter case ignored), its folded lines joined with
// single blanks, trimmed, its first 4 KiB; nothing when the header has no such field.
std::optional<std::string> FieldValue(std::string_view header, std::string_view name);

// The text from the line after the first line that starts with `marker` (all of it when
// `marker` is empty); nothing when no line does.
std::optional<std::string_view> AfterLine(std::string_view text, std::string_view marker);

// The text up to the start of the first line that starts with `marker`; all of it without one.
std::string_view BeforeLine(std::string_view text, std::string_view marker);

// The text without the empty lines at its end: it ends with one line end (or none, when it had
// none).
std::string_view WithoutTrailingEmptyLines(std::string_view text);

// Each line's first `indent` bytes taken away where they are blanks: a mail quoted as a block.
std::string Unindented(std::string_view text, std::size_t indent);

// Line ends as LF: the same mail however it travelled (IMAP gives CR LF).
std::string WithLfEnds(std::string_view text);

}  // namespace tarnwick
