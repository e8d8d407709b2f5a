// Parsing of tarnwick-cli arguments.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::cli {

using Args = std::vector<std::string>;

// A failure that ends the command, with the message for the user and the exit status.
struct Failure {
  std::string message;
  int status;
};

inline constexpr int kBadArguments = 2;
inline constexpr int kFailed = 1;

enum class OptionKind {
  Value,     // --name VALUE, at most once
  Repeated,  // --name VALUE, any number of times
  Flag,      // --name alone
};

struct OptionRule {
  std::string_view name;  // without the leading "--"
  OptionKind kind;
};

// Arguments: "--name" options as the rules allow them, and positional arguments in order.
class Options {
 public:
  static std::optional<Options> Parse(const Args& args, std::span<const OptionRule> rules,
                                      Failure& failure);

  const Args& positional() const { return positional_; }
  bool Has(std::string_view name) const { return values_.contains(name); }

  // The value of an option, converted to CP932; nothing (and a failure) when it is missing or
  // holds a character CP932 can't hold.
  std::optional<std::string> Required(std::string_view name, Failure& failure) const;
  // The same, but the empty text when the option is absent.
  std::optional<std::string> Optional(std::string_view name, Failure& failure) const;
  // Every value of a repeated option, in order, converted to CP932.
  std::optional<std::vector<std::string>> All(std::string_view name, Failure& failure) const;
  // The value as given, unconverted (a file-system path, a number); empty when absent.
  std::string Raw(std::string_view name) const;

 private:
  std::map<std::string, std::vector<std::string>, std::less<>> values_;
  Args positional_;
};

// The UTF-8 argument as CP932, or nothing (and a failure naming `what`) when CP932 can't hold it.
std::optional<std::string> ArgumentToCp932(std::string_view utf8, std::string_view what,
                                           Failure& failure);

// A 32-bit unsigned decimal number, or nothing (and a failure naming `what`).
std::optional<std::uint32_t> ParseNumber(std::string_view text, std::string_view what,
                                         Failure& failure);

}  // namespace tarnwick::cli
