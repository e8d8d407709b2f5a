#include "core/store/mailing_list_register.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/platform/cp932_case.h"
#include "core/platform/secret_store.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

constexpr std::string_view kRegisterKey = "MLPropertys";
constexpr std::string_view kTypeValue = "Type";
constexpr std::string_view kMailCountValue = "MailCount";
constexpr std::string_view kPasswordIdValue = "PasswordId";
constexpr std::string_view kMaxCommandsValue = "MaxCommands";

struct TextField {
  std::string_view value;
  std::string MailingList::*field;
};

// The text values of a list key after its title and type, in the order they are read and written.
constexpr std::array<TextField, 8> kTextFields{{
    {"Address", &MailingList::Address},
    {"Name", &MailingList::Name},
    {"Admin", &MailingList::Admin},
    {"Password", &MailingList::Password},
    {"GuideFile", &MailingList::GuideFile},
    {"InfoFile", &MailingList::InfoFile},
    {"IntroFile", &MailingList::IntroFile},
    {"ConfigFile", &MailingList::ConfigFile},
}};

// The list stored under the key, or nothing when a value of it is not of its type.
std::unique_ptr<MailingList> ReadList(const SettingsValues& key) {
  if (key.HoldsOtherThan(kDefaultValue, hive::kText) ||
      key.HoldsOtherThan(kTypeValue, hive::kNumber) ||
      key.HoldsOtherThan(kMaxCommandsValue, hive::kNumber) ||
      std::any_of(kTextFields.begin(), kTextFields.end(), [&](const TextField& text) {
        return key.HoldsOtherThan(text.value, hive::kText);
      })) {
    return nullptr;
  }
  auto list = std::make_unique<MailingList>();
  key.ReadText(kDefaultValue, list->Title, "");
  list->Type = static_cast<ServerKind>(
      key.ReadNumber(kTypeValue, static_cast<std::uint32_t>(ServerKind::None)));
  for (const TextField& text : kTextFields)
    key.ReadText(text.value, (*list).*text.field, "");
  key.ReadText(kPasswordIdValue, list->PasswordId, "");
  list->MaxCommands = key.ReadNumber(kMaxCommandsValue, 0);
  list->PasswordPending = !list->PasswordId.empty();
  return list;
}

// The password as the settings file keeps it, and its id in the secret service: there when a
// service takes it, else in the file itself. One the service could not give back keeps its
// id, so it is not lost by a save.
std::pair<std::string, std::string> StoredPassword(const MailingList& list) {
  if (list.Password.empty()) {
    const bool kept = list.PasswordPending || list.PasswordUnavailable;
    return {"", kept ? list.PasswordId : std::string()};
  }
  if (!secrets::Available()) return {list.Password, ""};
  const std::string id = list.PasswordId.empty() ? secrets::NewId() : list.PasswordId;
  if (!secrets::Store(id, "Tarnwick: " + Cp932ToUtf8(list.Title), list.Password)) {
    return {list.Password, ""};
  }
  return {"", id};
}

bool WriteList(const SettingsKey& key, const MailingList& list) {
  const auto [password, id] = StoredPassword(list);
  bool ok = key.WriteText(kDefaultValue, list.Title);
  ok = ok && key.WriteNumber(kTypeValue, static_cast<std::uint32_t>(list.Type));
  for (const TextField& text : kTextFields) {
    ok = ok && key.WriteText(text.value,
                             text.field == &MailingList::Password ? password : list.*text.field);
  }
  ok = ok && key.WriteText(kPasswordIdValue, id);
  ok = ok && key.WriteNumber(kMaxCommandsValue, list.MaxCommands);
  return ok && key.WriteNumber(kMailCountValue, static_cast<std::uint32_t>(list.MailCount));
}

}  // namespace

std::size_t MailingListRegister::InsertPosition(std::string_view title) const {
  return SortedInsertPosition(lists_, title,
                              [](const auto& list) -> const std::string& { return list->Title; });
}

MailingList* MailingListRegister::FindByTitle(std::string_view title) {
  for (const std::unique_ptr<MailingList>& list : lists_) {
    if (EqualsCp932IgnoreCase(list->Title, title)) return list.get();
  }
  return nullptr;
}

std::size_t MailingListRegister::Insert(std::unique_ptr<MailingList> list) {
  const std::size_t index = InsertPosition(list->Title);
  lists_.insert(lists_.begin() + static_cast<std::ptrdiff_t>(index), std::move(list));
  return index;
}

MailingListRegister MailingListRegister::Copy() const {
  MailingListRegister copy;
  for (const std::unique_ptr<MailingList>& list : lists_)
    copy.lists_.push_back(std::make_unique<MailingList>(*list));
  copy.unreadable_ = unreadable_;
  return copy;
}

void MailingListRegister::InsertAll(std::vector<std::unique_ptr<MailingList>> lists) {
  // Each Insert into a register kept in order puts the record after every title it does not
  // sort before: into an empty register, a stable sort gives that same order in one step.
  if (lists_.empty()) {
    std::stable_sort(lists.begin(), lists.end(), [](const auto& a, const auto& b) {
      return SortsBeforeIgnoringCase(a->Title, b->Title);
    });
    lists_ = std::move(lists);
    return;
  }
  for (std::unique_ptr<MailingList>& list : lists)
    Insert(std::move(list));
}

void MailingListRegister::Remove(std::size_t index) {
  if (index < lists_.size()) lists_.erase(lists_.begin() + static_cast<std::ptrdiff_t>(index));
}

MailingListRegister LoadRegister(const SettingsStore& store) {
  MailingListRegister lists;
  const SettingsKey all = store.ReadRoot().OpenKey(kRegisterKey, false);
  const SettingsSnapshot snapshot(all);
  const std::vector<SettingsValues> keys = all.SubkeysWithValues(kMaxRegisteredLists);
  std::vector<std::unique_ptr<MailingList>> read;
  // Keys past the limit are damage, not lists: they are counted, and kept as they are.
  const int count = all.CountKeys();
  std::size_t unreadable =
      count > static_cast<int>(keys.size()) ? static_cast<std::size_t>(count) - keys.size() : 0;
  for (const SettingsValues& key : keys) {
    std::unique_ptr<MailingList> list = ReadList(key);
    if (!list) {
      ++unreadable;
      continue;
    }
    read.push_back(std::move(list));
  }
  lists.InsertAll(std::move(read));
  lists.SetUnreadable(unreadable);
  return lists;
}

bool SameLists(const MailingListRegister& a, const MailingListRegister& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const MailingList& x = a.at(i);
    const MailingList& y = b.at(i);
    if (x.Title != y.Title || x.Type != y.Type || x.PasswordId != y.PasswordId ||
        x.MaxCommands != y.MaxCommands) {
      return false;
    }
    // One password in the secret service is the same whether it was read yet or not.
    const bool sameSecret = !x.PasswordId.empty();
    for (const TextField& text : kTextFields) {
      if (sameSecret && text.field == &MailingList::Password) continue;
      if (x.*text.field != y.*text.field) return false;
    }
  }
  return true;
}

void LoadPassword(MailingList& list) {
  if (!list.PasswordPending) return;
  list.PasswordPending = false;
  const std::optional<std::string> password = secrets::Lookup(list.PasswordId);
  list.Password = password.value_or("");
  list.PasswordUnavailable = !password;
}

std::string UnreadableListsMessage(const MailingListRegister& lists) {
  return "設定の保存先にある登録MLのうち" + std::to_string(lists.unreadable()) +
         "件が読めません (保存先が壊れています)\n読めないMLを失わないよう、登録MLﾘｽﾄは保存しません";
}

bool SaveRegister(const SettingsStore& store, const MailingListRegister& lists) {
  return SaveRegister(store.OpenRoot(), lists);
}

bool SaveRegister(const SettingsKey& root, const MailingListRegister& lists) {
  if (lists.unreadable() != 0) return false;
  SettingsTransaction transaction(root);
  if (!transaction.active() || !root.DeleteTree(kRegisterKey)) return false;
  const SettingsKey all = root.CreateKey(kRegisterKey);
  if (!all.HasHandle()) return false;
  for (std::size_t index = 0; index < lists.size(); ++index) {
    if (!WriteList(all.CreateKey("ML" + std::to_string(index)), lists.at(index))) return false;
  }
  return transaction.Commit();
}

std::optional<std::string> AddToRegister(const SettingsStore& store, const MailingList& list) {
  const SettingsKey root = store.OpenRoot();
  SettingsTransaction transaction(root);
  const SettingsKey all = transaction.active() ? root.CreateKey(kRegisterKey) : SettingsKey();
  const int count = all.CountKeys();
  if (count < 0) return "登録MLﾘｽﾄを保存できませんでした";
  if (static_cast<std::size_t>(count) >= kMaxRegisteredLists)
    return "登録MLが上限(" + std::to_string(kMaxRegisteredLists) + "件)に達しています";
  // Keys left by deletions elsewhere may already use the next number.
  std::size_t index = static_cast<std::size_t>(count);
  while (all.OpenKey("ML" + std::to_string(index), false).HasHandle())
    ++index;
  if (!WriteList(all.CreateKey("ML" + std::to_string(index)), list) || !transaction.Commit())
    return "登録MLﾘｽﾄを保存できませんでした";
  return std::nullopt;
}

}  // namespace tarnwick
