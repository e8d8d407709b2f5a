// The register view's model: the records of the registered lists in view order, labelled by
// title, with the icon for lists that have queued mail. Labels can be edited in place.
#pragma once

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QIcon>
#include <QStyledItemDelegate>
#include <memory>

#include "core/store/mailing_list_register.h"

namespace tarnwick {

class RegisterModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit RegisterModel(MailingListRegister lists, QObject* parent = nullptr);

  const MailingListRegister& lists() const { return lists_; }
  MailingListRegister& lists() { return lists_; }
  MailingList& at(int row) { return lists_.at(static_cast<std::size_t>(row)); }

  // Adds a record at its sorted place; returns its row.
  int Add(std::unique_ptr<MailingList> list);
  void Remove(int row);
  // Takes these records in place of all the others.
  void Replace(MailingListRegister lists);
  // Tells the view that the record of this row changed (title or count).
  void Refresh(int row);
  void RefreshAll();
  // The row of this record, or -1.
  int RowOf(const MailingList& list) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // A title typed in place was refused because CP932 can't hold this character.
  void titleRefused(const QString& offending);
  // A title typed in place was taken.
  void titleEdited();

 private:
  MailingListRegister lists_;
  QIcon plainIcon_;
  QIcon queuedIcon_;
};

// Items no wider than the view, so that a long title is drawn cut with "…" rather than cut off.
class FitToViewDelegate : public QStyledItemDelegate {
 public:
  explicit FitToViewDelegate(QAbstractItemView* view);
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  QAbstractItemView* view_;
};

}  // namespace tarnwick
