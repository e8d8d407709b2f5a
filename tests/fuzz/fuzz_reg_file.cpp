// regedit exports of either form, whatever the file holds.
#include <cstddef>
#include <cstdint>

#include "core/migrate/reg_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tarnwick::fuzz::Require;
  const tarnwick::RegFile file = tarnwick::ParseRegFile(tarnwick::fuzz::AsText(data, size));
  Require((file.badLine == 0) == file.reason.empty(), "a refused line comes with its reason");
  for (const tarnwick::RegKey& key : file.keys) {
    for (const tarnwick::RegValue& value : key.values)
      Require(!(value.text && value.number), "a value is a text or a number, not both");
  }
  return 0;
}
