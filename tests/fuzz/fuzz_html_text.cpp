// The text of HTML notices, whatever HTML a mail system sends.
#include <cstddef>
#include <cstdint>

#include "core/analyze/html_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = tarnwick::HtmlText(tarnwick::fuzz::AsText(data, size));
  tarnwick::fuzz::Require(text.find('\0') == std::string::npos, "the text holds no NUL");
  return 0;
}
