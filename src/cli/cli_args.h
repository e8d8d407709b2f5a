// Parsing of tarnwick-cli arguments.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::cli {

// A failure that ends the command, with the message for the user and the exit status.
struct Failure {
  std::string message;
  int status;
};

// "--name value" pairs. Every option takes a value; names outside `known` are refused.
class Options {
 public:
  static std::optional<Options> Parse(const std::vector<std::string>& args,
                                      const std::vector<std::string_view>& known, Failure& failure);

  // The value of a required option, converted to CP932; nothing (and a failure) when it is
  // missing or holds a character CP932 can't hold.
  std::optional<std::string> Required(std::string_view name, Failure& failure) const;
  // The same for an optional one: the empty text when absent.
  std::optional<std::string> Optional(std::string_view name, Failure& failure) const;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

// The UTF-8 argument as CP932, or nothing (and a failure naming `what`) when CP932 can't hold it.
std::optional<std::string> ArgumentToCp932(std::string_view utf8, std::string_view what,
                                           Failure& failure);

}  // namespace tarnwick::cli
