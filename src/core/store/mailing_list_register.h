// The register of the administrator's mailing lists: kept in the order of the register view,
// loaded from the settings store at start and written back whole at the end.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/mailing_list.h"
#include "core/store/settings_store.h"

namespace tarnwick {

class MailingListRegister {
 public:
  std::size_t size() const { return lists_.size(); }
  bool empty() const { return lists_.empty(); }
  MailingList& at(std::size_t index) { return *lists_.at(index); }
  const MailingList& at(std::size_t index) const { return *lists_.at(index); }

  // Where the sorted view puts a new item with this title (see SortedInsertPosition); titles
  // edited later are not re-sorted.
  std::size_t InsertPosition(std::string_view title) const;

  // The first list, in register order, whose title equals this one (letter case ignored).
  MailingList* FindByTitle(std::string_view title);
  // Inserts the record at its InsertPosition and returns that index.
  std::size_t Insert(std::unique_ptr<MailingList> list);
  // Inserts each record as Insert would, in their order, at a cost that stays low for many.
  void InsertAll(std::vector<std::unique_ptr<MailingList>> lists);
  void Remove(std::size_t index);

  // A register of copies of the records, in the same order: for work on another thread while
  // the window's own register may change.
  MailingListRegister Copy() const;

  // Lists of the store that could not be read whole (a key that does not open, a value of the
  // wrong type, more lists than the limit). Such a register is never saved: that would drop them.
  std::size_t unreadable() const { return unreadable_; }
  void SetUnreadable(std::size_t count) { unreadable_ = count; }

 private:
  // Records live at stable addresses: plates and dialogs refer to them while the view moves.
  std::vector<std::unique_ptr<MailingList>> lists_;
  std::size_t unreadable_ = 0;
};

// More lists than anyone administers; a store holding more is damaged, and the rest is skipped.
inline constexpr std::size_t kMaxRegisteredLists = 50000;

// Reads every list stored under "MLPropertys". A list key that can't be opened is skipped; a
// missing value takes its default. Every MailCount is 0: the queue folders are counted by whoever
// needs the counts (CountQueuedMails).
MailingListRegister LoadRegister(const SettingsStore& store);

// True when both hold the same lists in the same order, every stored field alike (the counts of
// queued mails are not compared: they come from the disk).
bool SameLists(const MailingListRegister& a, const MailingListRegister& b);

// Why a register with unreadable lists is not saved (UTF-8).
std::string UnreadableListsMessage(const MailingListRegister& lists);

// Replaces the stored register by this one, as ML0, ML1, ... in register order, in one
// transaction: when any step fails, or the register was loaded with unreadable lists, false is
// returned and the previous register stays.
bool SaveRegister(const SettingsStore& store, const MailingListRegister& lists);

// Asks the secret service for the list's password, where it keeps it and it was not asked yet:
// before anything composes with it or shows it.
void LoadPassword(MailingList& list);
// The same under a root key already open: inside the caller's transaction, when it holds one.
bool SaveRegister(const SettingsKey& root, const MailingListRegister& lists);

// Stores one more list under a key of its own, leaving every other key as it is (the register is
// put in title order as it is read), so adding costs the same however many lists there are.
// Nothing, or why the list was not stored (UTF-8): the register is full, or the store failed.
std::optional<std::string> AddToRegister(const SettingsStore& store, const MailingList& list);

}  // namespace tarnwick
