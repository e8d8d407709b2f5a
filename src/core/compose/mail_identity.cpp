#include "core/compose/mail_identity.h"

#include <sys/random.h>

#include <cstdint>
#include <cstdio>
#include <random>

#include "core/compose/mail_header.h"
#include "core/platform/ascii.h"
#include "core/platform/mail_address.h"

namespace tarnwick {
namespace {

constexpr std::size_t kTokenLength = 8;

bool IsLowerHex(char c) {
  return IsAsciiDigit(c) || (c >= 'a' && c <= 'f');
}

// The admin address's domain in the characters a Message-ID's right side may hold; "localhost"
// when it has none.
std::string DomainOf(std::string_view admin) {
  const std::size_t at = admin.rfind('@');
  std::string domain;
  if (at != std::string_view::npos) {
    for (char c : admin.substr(at + 1)) {
      if (IsDomainByte(c)) domain += c;
    }
  }
  return domain.empty() ? "localhost" : domain;
}

}  // namespace

std::string NewMailToken() {
  // The kernel's generator: std::random_device was seen to repeat itself far more often than
  // 32 random bits would on some machines.
  std::uint32_t number = 0;
  if (getrandom(&number, sizeof number, 0) != static_cast<ssize_t>(sizeof number)) {
    number = std::random_device()();
  }
  char token[kTokenLength + 1];
  std::snprintf(token, sizeof token, "%08x", static_cast<unsigned>(number));
  return token;
}

std::string FormatIdentityLines(std::string_view title, std::string_view admin,
                                std::string_view token, std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &local);
  return "Subject: " + std::string(title) + " [" + std::string(token) + "]" + kCrLf +
         "Message-ID: <" + stamp + "." + std::string(token) + "@" + DomainOf(admin) + ">" + kCrLf;
}

std::optional<std::string> TokenInSubject(std::string_view subject) {
  for (std::size_t close = subject.rfind(']'); close != std::string_view::npos && close > 0;
       close = subject.rfind(']', close - 1)) {
    if (close < kTokenLength + 1 || subject[close - kTokenLength - 1] != '[') continue;
    const std::string_view token = subject.substr(close - kTokenLength, kTokenLength);
    bool hex = true;
    for (char c : token)
      hex = hex && IsLowerHex(c);
    if (hex) return std::string(token);
  }
  return std::nullopt;
}

}  // namespace tarnwick
