#include "cli/cli_args.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace tarnwick::cli {

std::optional<Options> Options::Parse(const std::vector<std::string>& args,
                                      const std::vector<std::string_view>& known,
                                      Failure& failure) {
  Options options;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const std::string& arg = args[i];
    const bool isOption = arg.starts_with("--");
    const std::string name = isOption ? arg.substr(2) : arg;
    if (!isOption || std::find(known.begin(), known.end(), name) == known.end()) {
      failure = {"unknown argument: " + arg, 2};
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      failure = {"missing value for " + arg, 2};
      return std::nullopt;
    }
    if (!options.values_.emplace(name, args[i + 1]).second) {
      failure = {arg + " given twice", 2};
      return std::nullopt;
    }
  }
  return options;
}

std::optional<std::string> Options::Required(std::string_view name, Failure& failure) const {
  const auto found = values_.find(name);
  if (found == values_.end()) {
    failure = {"missing --" + std::string(name), 2};
    return std::nullopt;
  }
  return ArgumentToCp932(found->second, "--" + std::string(name), failure);
}

std::optional<std::string> Options::Optional(std::string_view name, Failure& failure) const {
  if (values_.find(name) == values_.end()) return std::string();
  return Required(name, failure);
}

std::optional<std::string> ArgumentToCp932(std::string_view utf8, std::string_view what,
                                           Failure& failure) {
  Cp932Encoding encoded = Utf8ToCp932(utf8);
  if (encoded.ok) return std::move(encoded.text);
  const std::string problem = !encoded.offending.empty() ? "the character \"" + encoded.offending +
                                                               "\", which Shift_JIS can't hold"
                                                         : "a byte that is not UTF-8";
  failure = {std::string(what) + " holds " + problem, 2};
  return std::nullopt;
}

}  // namespace tarnwick::cli
