#include "core/analyze/list_server_notice.h"

#include <algorithm>

#include "core/analyze/notice.h"
#include "core/analyze/recipients.h"
#include "core/platform/cp932_case.h"

namespace tarnwick {
namespace {

// Words of the subject of a list server's notice of a post turned away: a loop ("Loop Alert:",
// "Loop Back Warning:", "UNIX FROM Loop"), a sender who is no member ("NOT MEMBER article
// from", "you are not member"), a refused or suspect mail ("reject mail", "Security Alert").
constexpr std::string_view kAlertSubjectWords[] = {
    "loop alert", "loop back", "from loop", "not member", "reject", "security alert", "spammer",
};

bool SameAddress(const std::string& a, const std::string& b) {
  return LowerAscii(a) == LowerAscii(b);
}

// "dev-admin@lists.example.jp", "owner-dev@...", "dev-owner@...": a list's own address for
// what is not a post.
bool IsAdministrativeAddress(std::string_view address) {
  const std::string local = LowerAscii(address.substr(0, address.find('@')));
  return local.ends_with("-admin") || local.ends_with("-owner") || local.starts_with("owner-");
}

}  // namespace

bool IsListServerAlert(std::string_view listServer, std::string_view from,
                       std::string_view subject) {
  if (listServer.empty() || !IsAdministrativeAddress(AddressOfField(from))) return false;
  const std::string low = LowerAscii(subject);
  return std::any_of(std::begin(kAlertSubjectWords), std::end(kAlertSubjectWords),
                     [&](std::string_view word) { return low.find(word) != std::string::npos; });
}

void ReadListServerAlert(std::string_view notice, const std::vector<std::string>& own,
                         Recipients& failed) {
  for (const std::string& address : AddressesIn(NoticeBeforeCopy(notice))) {
    const bool mine = std::any_of(own.begin(), own.end(),
                                  [&](const std::string& o) { return SameAddress(o, address); });
    if (!mine && !IsServiceAddress(address)) failed.Add(address);
  }
}

}  // namespace tarnwick
