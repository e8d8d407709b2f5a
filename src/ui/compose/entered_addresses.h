// The addresses entered in address-list plates, kept while the administrator looks at another
// command or list: each (list, command) gets back what it held when its plate went, until a mail
// is composed from them (作成), the list is deleted, or the user agrees to drop them on closing
// the window.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/compose/address_list.h"
#include "ui/compose/plate.h"

namespace tarnwick {

class EnteredAddresses {
 public:
  // Before a plate goes: what its address list holds is kept for its list and command, unless
  // that is what was composed last.
  void Keep(const CPlate& plate);
  // A plate just built gets back what was kept for its list and command.
  void Restore(CPlate& plate);
  // 作成 took the plate's addresses into a mail: they are no longer kept.
  void Composed(const CPlate& plate);
  // The list is gone: nothing is kept for it.
  void Forget(const std::string& listTitle);
  // How many addresses no mail was composed from, the ones of the plate shown among them.
  std::size_t Waiting(const CPlate* shown) const;

 private:
  using Key = std::pair<std::string, CommandId>;  // the list's title (CP932), the command
  bool JustComposed(const Key& key, const AddressList& addresses) const;
  std::map<Key, AddressList> kept_;
  std::optional<Key> composedKey_;
  std::vector<std::string> composed_;  // the addresses of the last mail composed from a plate
};

}  // namespace tarnwick
