#include "core/moderation/held_collect.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>

#include "core/analyze/recipients.h"
#include "core/moderation/held_answer.h"
#include "core/moderation/held_notice.h"
#include "core/moderation/held_store.h"
#include "core/moderation/raw_mail.h"
#include "core/platform/cp932_case.h"
#include "core/platform/fs_path.h"

namespace tarnwick {
namespace {

// The identity a list field names: "<testlist.localhost>", or "Title <testlist.localhost>".
std::string ListIdOf(std::string_view value) {
  const std::size_t open = value.rfind('<');
  const std::size_t close = value.rfind('>');
  if (open != std::string_view::npos && close != std::string_view::npos && close > open)
    return std::string(value.substr(open + 1, close - open - 1));
  return std::string(value.substr(0, value.find_first_of(" \t(")));
}

// Whether the header fields are those of an article the item's list distributed: Majordomo's
// carry its owner as Sender, fml's the list's List-Id or X-ML-Name.
bool IsArticleOf(const HeldItem& item, std::string_view fields) {
  if (item.server == ServerKind::Majordomo) {
    const std::optional<std::string> sender = FieldValue(fields, "Sender");
    return sender &&
           EqualsCp932IgnoreCase(AddressOfField(*sender), "owner-" + item.list + "@" + item.host);
  }
  if (const std::optional<std::string> id = FieldValue(fields, "List-Id"))
    return EqualsCp932IgnoreCase(ListIdOf(*id), item.list + "." + item.host);
  const std::optional<std::string> name = FieldValue(fields, "X-ML-Name");
  return name && EqualsCp932IgnoreCase(ListIdOf(*name), item.list);
}

struct Collection {
  Collection(std::string_view box, MailingListRegister registered)
      : mailBox(box), lists(std::move(registered)) {}

  std::string mailBox;
  MailingListRegister lists;
  std::optional<HeldStore> store;  // opened with the first notice

  bool Opened(std::string& failure) {
    if (store) return true;
    if (!(store = HeldStore::Open(mailBox, failure))) return false;
    store->SetDurability(Durability::Later);
    SettleSentAnswers(*store, mailBox, lists);
    return true;
  }

  std::string Flush() {
    const int error = store ? store->Sync() : 0;
    return error == 0 ? std::string()
                      : "保留ﾒｰﾙを保存できません: " + std::string(std::strerror(error));
  }

  bool Take(std::string_view mail, std::string& failure) {
    const std::optional<HeldNotice> notice = ReadHeldNotice(mail);
    if (!notice || ListOfNotice(*notice, lists) == nullptr || !Opened(failure)) return false;
    int error = 0;
    store->Take(*notice, std::time(nullptr), error);
    if (error != 0) failure = "保留ﾒｰﾙを保存できません: " + std::string(std::strerror(error));
    return error == 0;
  }

  // A held post that reached the list (approved here or by another moderator) is done; the
  // mail itself stays where it is, untouched.
  void TakeListMail(std::string_view fields, std::string& failure) {
    const std::optional<std::string> messageId = FieldValue(fields, "Message-ID");
    if (!messageId || messageId->empty() || !HasStore()) return;
    if (!Opened(failure)) return;
    const HeldItem* item = store->ItemOfMessageId(*messageId);
    // A rejection or discard was the moderator's own end of it.
    const bool open =
        item != nullptr && (item->state == HeldState::Pending ||
                            item->state == HeldState::Awaiting || item->state == HeldState::Failed);
    if (!open || !IsArticleOf(*item, fields)) return;
    HeldItem done = *item;
    done.state = HeldState::Approved;
    done.stateReason.clear();
    if (const int error = store->Update(done); error != 0)
      failure = "保留ﾒｰﾙを保存できません: " + std::string(std::strerror(error));
  }

  // Whether a store was ever made: without one no list mail can settle anything, and none is
  // made for it. Looked at once a fetch.
  bool HasStore() {
    if (store) return true;
    if (!storeLooked) {
      const std::optional<std::filesystem::path> box = ToFsPath(mailBox);
      std::error_code ec;
      storeExists = box && std::filesystem::is_directory(*box / kHeldFolderName, ec);
      storeLooked = true;
    }
    return storeExists;
  }
  bool storeLooked = false;
  bool storeExists = false;
};

}  // namespace

NoticeCollector HeldNoticeCollector(std::string_view mailBox, const MailingListRegister& lists) {
  std::set<std::string> senders;
  for (std::size_t i = 0; i < lists.size(); ++i) {
    for (std::string& sender : NoticeSenders(lists.at(i)))
      senders.insert(std::move(sender));
  }
  auto collection = std::make_shared<Collection>(mailBox, lists.Copy());
  return {{senders.begin(), senders.end()},
          [collection](std::string_view mail, std::string& failure) {
            return collection->Take(mail, failure);
          },
          [collection](std::string_view fields, std::string& failure) {
            collection->TakeListMail(fields, failure);
          },
          [collection] { return collection->Flush(); }};
}

}  // namespace tarnwick
