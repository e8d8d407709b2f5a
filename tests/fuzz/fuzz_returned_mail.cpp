// Returned mails: the addresses by the marker phrases, by the mail's own report of its failed
// recipients, and the sender's.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>

#include "core/analyze/address_extraction.h"
#include "core/analyze/returned_mail.h"
#include "fuzz_support.h"

namespace {

using tarnwick::fuzz::Require;

void CheckAddresses(const std::vector<std::string>& addresses) {
  Require(addresses.size() <= tarnwick::kMaxExtractedAddresses, "the addresses are bounded");
  Require(std::none_of(addresses.begin(), addresses.end(),
                       [](const std::string& address) { return address.empty(); }),
          "no address is empty");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view mail = tarnwick::fuzz::AsText(data, size);
  const std::filesystem::path file =
      tarnwick::fuzz::WriteFile(tarnwick::fuzz::Scratch() / "returned.eml", mail);
  CheckAddresses(tarnwick::ExtractAddresses(file, tarnwick::ExtractionMode::Returned));
  CheckAddresses(tarnwick::ExtractAddresses(file, tarnwick::ExtractionMode::Sender));

  const std::vector<std::string> failed = tarnwick::RecogniseFailedRecipients(mail);
  CheckAddresses(failed);
  Require(std::set<std::string>(failed.begin(), failed.end()).size() == failed.size(),
          "each failed recipient is named once");

  const std::string clean = tarnwick::CleanAddress(mail.substr(0, 256));
  Require(clean.size() <= std::min<std::size_t>(mail.size(), 256),
          "a clean address is cut from its text");
  return 0;
}
