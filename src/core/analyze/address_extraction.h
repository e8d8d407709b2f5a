// Member addresses taken from mails that come back to the administrator: delivery-failure
// reports and approval requests of the list server (by their marker phrases), or a mail's sender.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

enum class ExtractionMode {
  Returned = 0,  // the addresses a returned mail names
  Sender = 1,    // the address of the mail's "From:" line
};

// More addresses than any returned mail names; the rest of a larger list is ignored.
inline constexpr std::size_t kMaxExtractedAddresses = 10000;

// The bare address of an address text: display names, quoted strings, comments and blanks go.
std::string CleanAddress(std::string_view text);

// The addresses after the first marker phrase of the file (after each, for the phrases that name
// one address and are repeated for each failed recipient), in the order the mail gives them,
// duplicates kept, what is no address left out; nothing when the file holds none of the phrases.
std::optional<std::vector<std::string>> ExtractByMarkers(const std::filesystem::path& file);

// The addresses of a returned mail: by the marker phrases when they name any, otherwise as the
// mail's own format reports its failed recipients.
std::vector<std::string> ExtractReturned(const std::filesystem::path& file);

// The address of the first line that starts with "From:" (letter case ignored).
std::vector<std::string> ExtractSender(const std::filesystem::path& file);

std::vector<std::string> ExtractAddresses(const std::filesystem::path& file, ExtractionMode mode);

}  // namespace tarnwick
