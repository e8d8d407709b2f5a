#include "ui/moderation/held_table.h"

#include <QDateTime>

#include "core/analyze/mime_mail.h"
#include "core/moderation/held_view.h"

namespace tarnwick {
namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Time(std::time_t time) {
  return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

int ListRow(const HeldItem& item, const MailingListRegister& lists) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (IsOfList(item, lists.at(i))) return static_cast<int>(i);
  }
  return -1;
}

HeldRow MakeRow(const HeldItem& item, const MailingListRegister& lists, std::time_t now) {
  HeldRow row{item, ListRow(item, lists), {}, {}};
  row.cells[kHeldList] = Utf8(HeldListTitle(item, lists));
  row.cells[kHeldKind] = HeldKindText(item.kind);
  row.cells[kHeldSender] = Utf8(DecodedHeaderText(item.sender));
  row.cells[kHeldSubject] = Utf8(DecodedHeaderText(item.subject));
  const std::time_t date = item.date.value_or(item.arrived);
  row.cells[kHeldDate] = Time(date);
  row.sortKeys[kHeldDate] = date;
  row.cells[kHeldReason] = Utf8(item.reason);
  row.cells[kHeldState] = Utf8(HeldStateText(item.state));
  if (!item.stateReason.empty())
    row.cells[kHeldState] += QStringLiteral(": ") + Utf8(item.stateReason);
  const std::optional<int> left = DaysBeforeDropped(item, now);
  row.sortKeys[kHeldDaysLeft] = left.value_or(-1);
  if (left && item.state == HeldState::Pending)
    row.cells[kHeldDaysLeft] =
        *left == 0 ? QStringLiteral("期限切れ") : QStringLiteral("あと%1日").arg(*left);
  return row;
}

}  // namespace

QString HeldKindText(HeldKind kind) {
  switch (kind) {
    case HeldKind::Post:
      return QStringLiteral("投稿");
    case HeldKind::Subscribe:
      return QStringLiteral("登録依頼");
    case HeldKind::Unsubscribe:
      return QStringLiteral("削除依頼");
  }
  return {};
}

std::vector<HeldRow> MakeHeldRows(const std::vector<HeldItem>& items,
                                  const MailingListRegister& lists, std::time_t now) {
  std::vector<HeldRow> rows;
  rows.reserve(items.size());
  for (const HeldItem& item : items)
    rows.push_back(MakeRow(item, lists, now));
  return rows;
}

void HeldModel::Reset(std::vector<HeldRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int HeldModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HeldModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kHeldColumns;
}

QVariant HeldModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const HeldRow& shown = row(index.row());
  const int column = index.column();
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return shown.cells[column];
  if (role != kHeldSortRole) return {};
  if (column == kHeldDate || column == kHeldDaysLeft) return shown.sortKeys[column];
  return shown.cells[column];
}

QVariant HeldModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[kHeldColumns] = {"ﾘｽﾄ",  "種類", "差出人", "件名",
                                                    "日付", "理由", "状態",   "残り日数"};
  return QString::fromUtf8(kTitles[section]);
}

HeldFilter::HeldFilter() {
  setSortRole(kHeldSortRole);
}

void HeldFilter::SetList(int list) {
  list_ = list;
  invalidateFilter();
}

void HeldFilter::SetShowAll(bool all) {
  all_ = all;
  invalidateFilter();
}

bool HeldFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  const HeldRow& row = static_cast<const HeldModel*>(sourceModel())->row(sourceRow);
  return (all_ || row.item.state == HeldState::Pending) && (list_ < 0 || row.list == list_);
}

}  // namespace tarnwick
