// The rows of 保留ﾒｰﾙ: the held items with their cells made once (on the loader's thread), a
// model over them and the filter by list and state, so ten thousand items sort and filter
// without the window reading or decoding anything again.
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <ctime>
#include <optional>
#include <vector>

#include "core/moderation/held_store.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

enum HeldColumn {
  kHeldList,
  kHeldKind,
  kHeldSender,
  kHeldSubject,
  kHeldDate,
  kHeldReason,
  kHeldState,
  kHeldDaysLeft,
  kHeldColumns
};

// The role the filter sorts by: the dates and days as numbers.
inline constexpr int kHeldSortRole = Qt::UserRole + 1;

struct HeldRow {
  HeldItem item;
  int list = -1;  // the registered list's row, -1 when none is the item's
  QString cells[kHeldColumns];
  qint64 sortKeys[kHeldColumns] = {};  // the dates and days, where the text would sort wrong
};

// "投稿", "登録依頼", "削除依頼".
QString HeldKindText(HeldKind kind);

// The rows of the items, their texts decoded; `now` counts the days an fml type 2 item has left.
std::vector<HeldRow> MakeHeldRows(const std::vector<HeldItem>& items,
                                  const MailingListRegister& lists, std::time_t now);

class HeldModel final : public QAbstractTableModel {
 public:
  void Reset(std::vector<HeldRow> rows);
  const HeldRow& row(int at) const { return rows_[static_cast<std::size_t>(at)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<HeldRow> rows_;
};

// By default only 保留中 items; a list's only when one is chosen.
class HeldFilter final : public QSortFilterProxyModel {
 public:
  HeldFilter();
  void SetList(int list);  // -1: every list
  void SetShowAll(bool all);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  int list_ = -1;
  bool all_ = false;
};

}  // namespace tarnwick
