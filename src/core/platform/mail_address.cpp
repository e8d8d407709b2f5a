#include "core/platform/mail_address.h"

#include <algorithm>

namespace tarnwick {
namespace {

bool IsDotted(std::string_view domain) {
  return domain.find('.') != std::string_view::npos && domain.front() != '.' &&
         domain.back() != '.';
}

bool Follows(std::string_view domain, DomainRule rule) {
  if (!IsDotted(domain)) return false;
  if (rule == DomainRule::Dotted)
    return domain.find_first_of(kAddressPunctuation) == std::string_view::npos;
  return domain.find("..") == std::string_view::npos &&
         std::all_of(domain.begin(), domain.end(), IsDomainByte);
}

}  // namespace

std::optional<AddressHalves> SplitAtSign(std::string_view text) {
  const std::size_t at = text.find('@');
  if (at == std::string_view::npos) return std::nullopt;
  return AddressHalves{text.substr(0, at), text.substr(at + 1)};
}

AddressSyntax CheckAddressSyntax(std::string_view address, DomainRule rule) {
  using enum AddressFault;
  if (std::any_of(address.begin(), address.end(), IsAsciiBlank)) return {Blank};
  if (!std::all_of(address.begin(), address.end(), IsAsciiGraphic)) return {NotGraphic};
  const std::optional<AddressHalves> halves = SplitAtSign(address);
  if (!halves) return {NoAtSign};
  if (halves->domain.find('@') != std::string_view::npos) return {SecondAtSign};
  if (halves->local.empty()) return {EmptyLocalPart};
  const std::size_t punctuation = halves->local.find_first_of(kAddressPunctuation);
  if (punctuation != std::string_view::npos) return {Punctuation, halves->local[punctuation]};
  if (!Follows(halves->domain, rule)) return {BadDomain};
  return {};
}

bool IsPlainAddress(std::string_view address, DomainRule rule) {
  return CheckAddressSyntax(address, rule).fault == AddressFault::None;
}

}  // namespace tarnwick
