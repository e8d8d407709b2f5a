#include "core/platform/cp932_case.h"

#include "core/platform/ascii.h"

namespace tarnwick {

std::string FoldCp932Case(std::string_view text) {
  std::string folded(text);
  for (size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (IsCp932LeadByte(byte)) {
      ++i;  // the trail byte belongs to the character, whatever its value
    } else {
      folded[i] = ToAsciiLower(folded[i]);
    }
  }
  return folded;
}

std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    c = ToAsciiLower(c);
  return lowered;
}

int CompareCp932IgnoreCase(std::string_view a, std::string_view b) {
  return FoldCp932Case(a).compare(FoldCp932Case(b));
}

bool EqualsCp932IgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareCp932IgnoreCase(a, b) == 0;
}

bool SortsBeforeIgnoringCase(std::string_view a, std::string_view b) {
  const int folded = CompareCp932IgnoreCase(a, b);
  return folded != 0 ? folded < 0 : a < b;
}

}  // namespace tarnwick
