#include "ui/main/register_model.h"

#include <algorithm>

#include "ui/main/list_icons.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

RegisterModel::RegisterModel(MailingListRegister lists, QObject* parent)
    : QAbstractListModel(parent),
      lists_(std::move(lists)),
      plainIcon_(PlainListIcon()),
      queuedIcon_(QueuedListIcon()) {}

int RegisterModel::Add(std::unique_ptr<MailingList> list) {
  const int row = static_cast<int>(lists_.InsertPosition(list->Title));
  beginInsertRows(QModelIndex(), row, row);
  lists_.Insert(std::move(list));
  endInsertRows();
  return row;
}

void RegisterModel::Remove(int row) {
  beginRemoveRows(QModelIndex(), row, row);
  lists_.Remove(static_cast<std::size_t>(row));
  endRemoveRows();
}

void RegisterModel::Replace(MailingListRegister lists) {
  beginResetModel();
  lists_ = std::move(lists);
  endResetModel();
}

void RegisterModel::Refresh(int row) {
  const QModelIndex changed = index(row);
  emit dataChanged(changed, changed);
}

void RegisterModel::RefreshAll() {
  if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1));
}

int RegisterModel::RowOf(const MailingList& list) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (&lists_.at(static_cast<std::size_t>(row)) == &list) return row;
  }
  return -1;
}

FitToViewDelegate::FitToViewDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view), view_(view) {}

QSize FitToViewDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setWidth(std::min(size.width(), view_->viewport()->width()));
  return size;
}

int RegisterModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lists_.size());
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const MailingList& list = lists_.at(static_cast<std::size_t>(index.row()));
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
      return FromCp932(list.Title);
    case Qt::DecorationRole:
      return list.MailCount != 0 ? queuedIcon_ : plainIcon_;
    default:
      return {};
  }
}

bool RegisterModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return false;
  QString offending;
  std::optional<std::string> title = ToCp932(value.toString(), &offending);
  if (!title) {
    emit titleRefused(offending);
    return false;
  }
  at(index.row()).Title = std::move(*title);
  emit dataChanged(index, index);
  emit titleEdited();
  return true;
}

Qt::ItemFlags RegisterModel::flags(const QModelIndex& index) const {
  return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

}  // namespace tarnwick
