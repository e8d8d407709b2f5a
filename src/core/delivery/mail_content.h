// A queued mail file as SMTP carries it: the envelope from its own header lines, and its content
// in the form of the DATA phase.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/compose/queue_folder.h"

namespace tarnwick {

inline constexpr std::size_t kMaxMailFileBytes = kMaxQueuedMailBytes;
// The longest line SMTP allows, without its CR LF.
inline constexpr std::size_t kMaxSmtpLineBytes = 998;

// The whole file, or nothing when it can't be read or is larger than kMaxMailFileBytes.
std::optional<std::string> ReadMailFile(const std::filesystem::path& file);

struct Envelope {
  std::string sender;     // the rest of the last "From: " line of the header
  std::string recipient;  // the rest of the last "To: " line of the header
  // Both found, and neither holds a control character that would break the command line.
  bool usable() const;
};

// Scans the header line by line: "To: " and "From: " lines (exactly so) give the addresses,
// verbatim; an empty line, or having both, ends the scan.
Envelope ScanEnvelope(std::string_view mail);

struct WireContent {
  std::string data;          // every line ending in CR LF, dot-stuffed; without the final "."
  std::size_t longLine = 0;  // the number (from 1) of the first line longer than SMTP allows
};

// Lines end in CR LF or LF; a bare CR inside a line also ends it, so that no bare CR or LF ever
// reaches the wire. A line that starts with "." gets one more in front.
WireContent EncodeContent(std::string_view mail);

}  // namespace tarnwick
