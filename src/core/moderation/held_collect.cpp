#include "core/moderation/held_collect.h"

#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <set>

#include "core/moderation/held_answer.h"
#include "core/moderation/held_notice.h"
#include "core/moderation/held_store.h"

namespace tarnwick {
namespace {

struct Collection {
  std::string mailBox;
  MailingListRegister lists;
  std::optional<HeldStore> store;  // opened with the first notice

  bool Take(std::string_view mail, std::string& failure) {
    const std::optional<HeldNotice> notice = ReadHeldNotice(mail);
    if (!notice || ListOfNotice(*notice, lists) == nullptr) return false;
    if (!store) {
      if (!(store = HeldStore::Open(mailBox, failure))) return false;
      SettleSentAnswers(*store, mailBox, lists);
    }
    int error = 0;
    store->Take(*notice, std::time(nullptr), error);
    if (error != 0) failure = "保留ﾒｰﾙを保存できません: " + std::string(std::strerror(error));
    return error == 0;
  }
};

}  // namespace

NoticeCollector HeldNoticeCollector(std::string_view mailBox, const MailingListRegister& lists) {
  std::set<std::string> senders;
  for (std::size_t i = 0; i < lists.size(); ++i) {
    for (std::string& sender : NoticeSenders(lists.at(i)))
      senders.insert(std::move(sender));
  }
  auto collection =
      std::make_shared<Collection>(Collection{std::string(mailBox), lists.Copy(), {}});
  return {{senders.begin(), senders.end()},
          [collection](std::string_view mail, std::string& failure) {
            return collection->Take(mail, failure);
          }};
}

}  // namespace tarnwick
