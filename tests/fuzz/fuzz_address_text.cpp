// A file of addresses as it comes (a sync file, a dropped or pasted text): whatever its bytes,
// what is taken is addresses the list's server takes, each once, and what is refused is bounded
// and names lines the text has.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_set>

#include "core/compose/address_text.h"
#include "core/compose/value_rules.h"
#include "core/platform/cp932_case.h"
#include "fuzz_support.h"

namespace {

using tarnwick::fuzz::Require;

void Check(const tarnwick::AddressText& text, tarnwick::ServerKind kind, std::size_t lines) {
  Require(text.refused.size() <= tarnwick::kMaxRefusedKept, "refused lines are bounded");
  Require(text.refusedCount >= text.refused.size(), "every kept refusal is counted");
  if (text.refusal) {
    Require(text.addresses.empty() && text.refused.empty(), "a refused text gives nothing");
  }
  std::unordered_set<std::string> seen;
  for (const std::string& address : text.addresses) {
    Require(!tarnwick::CheckAddressFor(kind, address), "only addresses the server takes");
    Require(seen.insert(tarnwick::LowerAscii(address)).second, "each address once");
  }
  for (const tarnwick::RefusedAddress& refused : text.refused)
    Require(refused.line >= 1 && refused.line <= lines, "a refused line is one of the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = tarnwick::fuzz::AsText(data, size);
  const tarnwick::DecodedText decoded = tarnwick::DecodeTextFile(bytes);
  if (decoded.refusal) return 0;
  const std::size_t lines =
      static_cast<std::size_t>(std::count(decoded.utf8.begin(), decoded.utf8.end(), '\n') + 1);
  for (const tarnwick::ServerKind kind :
       {tarnwick::ServerKind::Majordomo, tarnwick::ServerKind::Fml}) {
    for (const tarnwick::AddressTextRule rule :
         {tarnwick::AddressTextRule::OnePerLine, tarnwick::AddressTextRule::Loose}) {
      Check(tarnwick::ReadAddressText(decoded.utf8, kind, rule), kind, lines);
    }
  }
  return 0;
}
