#include "app/created_mail_dlg.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>
#include <system_error>

#include "platform/button_column.h"
#include "platform/cp932_case.h"
#include "platform/desktop.h"
#include "platform/modal.h"
#include "platform/named_widgets.h"
#include "platform/qt_text.h"

namespace tarnwick {

CCreatedMailDlg::CCreatedMailDlg(const MailingList& list, MailQueue& queue, QWidget* parent)
    : QDialog(parent),
      list_(list),
      queue_(queue),
      titles_(new QListWidget),
      editButton_(NamedButton(QStringLiteral("編集"), "editButton")),
      deleteButton_(NamedButton(QStringLiteral("削除"), "deleteButton")) {
  setWindowTitle(QStringLiteral("作成済みﾒｰﾙ操作"));
  for (QueueEntry& mail : queue.List(list.Name)) {
    const std::size_t row = SortedInsertPosition(
        mails_, mail.title, [](const QueueEntry& e) -> const std::string& { return e.title; });
    titles_->insertItem(static_cast<int>(row), FromCp932(mail.title));
    mails_.insert(mails_.begin() + static_cast<std::ptrdiff_t>(row), std::move(mail));
  }
  titles_->setObjectName(QStringLiteral("titleList"));
  titles_->setSelectionMode(QAbstractItemView::SingleSelection);
  QPushButton* close = NamedButton(QStringLiteral("閉じる"), "closeButton");
  editButton_->setEnabled(false);
  deleteButton_->setEnabled(false);
  connect(titles_, &QListWidget::itemSelectionChanged, this, &CCreatedMailDlg::UpdateButtons);
  connect(titles_, &QListWidget::itemDoubleClicked, this, &CCreatedMailDlg::OpenSelected);
  connect(editButton_, &QPushButton::clicked, this, &CCreatedMailDlg::OpenSelected);
  connect(deleteButton_, &QPushButton::clicked, this, &CCreatedMailDlg::DeleteSelected);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel(QStringLiteral("ﾘｽﾄ名")));
  auto* name = new QLabel(FromCp932(list.Name));
  name->setObjectName(QStringLiteral("listName"));
  nameRow->addWidget(name, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameRow);
  layout->addWidget(new QLabel(QStringLiteral("作成済みﾒｰﾙﾀｲﾄﾙ一覧")));
  layout->addLayout(WithButtonColumn(titles_, {editButton_, deleteButton_, close}), 1);
  resize(420, 300);
}

void CCreatedMailDlg::UpdateButtons() {
  if (!titles_->selectedItems().isEmpty()) {
    editButton_->setEnabled(true);
    deleteButton_->setEnabled(true);
  }
}

void CCreatedMailDlg::OpenSelected() {
  const int row = titles_->currentRow();
  if (row < 0 || !titles_->item(row)->isSelected()) return;
  OpenWithDesktop(QFile::decodeName(mails_[static_cast<std::size_t>(row)].path.c_str()));
}

void CCreatedMailDlg::DeleteSelected() {
  const int row = titles_->currentRow();
  if (row >= 0 && titles_->item(row)->isSelected()) {
    if (const int error = queue_.Remove(list_.Name, mails_[static_cast<std::size_t>(row)].path)) {
      ShowMessage(this, kProgramCaption, QString::fromLocal8Bit(std::strerror(error)));
      return;
    }
    mails_.erase(mails_.begin() + row);
    delete titles_->takeItem(row);
    if (titles_->count() > 0) titles_->setCurrentRow(0);
  }
  // Mails without a title are counted but not listed: the buttons stay while any is queued.
  if (queue_.Count(list_.Name) == 0) {
    editButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
  }
}

}  // namespace tarnwick
