// fml's check of one command line: never a crash, and the cheap truths of its answer.
#include <cstddef>
#include <cstdint>

#include "core/compose/fml_line.h"
#include "fuzz_support.h"

namespace {

// The bytes fml takes anywhere in a line, with or without a password.
bool AllSafe(std::string_view line) {
  constexpr std::string_view kSafe =
      "-#ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_ \t\n\r\f\v.,@:";
  return line.find_first_not_of(kSafe) == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tarnwick::FmlLineProblem;
  using tarnwick::fuzz::Require;
  const std::string_view line = tarnwick::fuzz::AsText(data, size);
  const std::optional<FmlLineProblem> problem = tarnwick::CheckFmlLine(line);
  const bool tooLong = line.size() > tarnwick::kFmlMaxLineBytes;
  Require(tooLong == (problem && problem->kind == FmlLineProblem::TooLong),
          "a line is too long exactly when it passes fml's limit");
  if (!problem || problem->kind != FmlLineProblem::UnsafeCharacter) return 0;
  Require(problem->character.size() <= 2, "the refused character is one CP932 character");
  Require(line.find(problem->character) != std::string_view::npos,
          "the refused character is one the line holds");
  Require(!problem->character.empty(), "a refused character is named");
  Require(!AllSafe(line), "a line of safe bytes is never refused for a character");
  return 0;
}
