#include "core/moderation/held_view.h"

#include "core/platform/text_codec.h"

namespace tarnwick {

std::string HeldListTitle(const HeldItem& item, const MailingListRegister& lists) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (IsOfList(item, lists.at(i))) return Cp932ToUtf8(lists.at(i).Title);
  }
  return item.list + "@" + item.host;
}

std::size_t PendingHeldCount(const HeldStore& store, const MailingListRegister& lists) {
  std::size_t pending = 0;
  for (const HeldItem& item : store.items()) {
    if (item.state != HeldState::Pending) continue;
    for (std::size_t i = 0; i < lists.size(); ++i) {
      if (IsOfList(item, lists.at(i))) {
        ++pending;
        break;
      }
    }
  }
  return pending;
}

std::optional<int> DaysBeforeDropped(const HeldItem& item, std::time_t now, int keptDays) {
  if (item.form != NoticeForm::FmlCertify) return std::nullopt;
  constexpr std::time_t kDay = 24 * 60 * 60;
  const std::time_t left = item.arrived + keptDays * kDay - now;
  if (left <= 0) return 0;
  return static_cast<int>((left + kDay - 1) / kDay);
}

bool ApprovalIsNewPost(const HeldItem& item) {
  return item.form == NoticeForm::FmlForwarded || item.form == NoticeForm::FmlNotMember;
}

}  // namespace tarnwick
