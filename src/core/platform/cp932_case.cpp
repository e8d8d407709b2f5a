#include "core/platform/cp932_case.h"

#include <algorithm>

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

namespace {

// Walks a text byte by byte as FoldCp932Case folds it, without making the folded copy: sorting
// and finding among thousands of titles compares far more often than it folds.
class FoldedBytes {
 public:
  unsigned char Next(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (trail_) {
      trail_ = false;
      return byte;
    }
    if (IsCp932LeadByte(byte)) {
      trail_ = true;
      return byte;
    }
    return static_cast<unsigned char>(ToAsciiLower(c));
  }

 private:
  bool trail_ = false;
};

}  // namespace

int CompareCp932IgnoreCase(std::string_view a, std::string_view b) {
  FoldedBytes left;
  FoldedBytes right;
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = left.Next(a[i]);
    const unsigned char y = right.Next(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsCp932IgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareCp932IgnoreCase(a, b) == 0;
}

bool SortsBeforeIgnoringCase(std::string_view a, std::string_view b) {
  const int folded = CompareCp932IgnoreCase(a, b);
  return folded != 0 ? folded < 0 : a < b;
}

}  // namespace tarnwick
