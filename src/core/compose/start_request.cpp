#include "core/compose/start_request.h"

#include "core/platform/ascii.h"

namespace tarnwick {
namespace {

bool StartsWithFolded(const std::string& word, std::string_view start) {
  if (word.size() < start.size()) return false;
  for (std::size_t i = 0; i < start.size(); ++i) {
    if (ToAsciiLower(word[i]) != start[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<StartRequest> ParseStartRequest(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return std::nullopt;
  StartRequest request;
  request.title = arguments[1];
  if (StartsWithFolded(arguments[0], "unsub")) {
    request.command = ID_UNSUBSCRIBE_PLATE;
  } else if (StartsWithFolded(arguments[0], "subs")) {
    request.command = ID_SUBSCRIBE_PLATE;
  }
  if (arguments.size() > 2) request.file = arguments[2];
  return request;
}

}  // namespace tarnwick
