#include "ui/compose/address_list_plate.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/analyze/mailbox_reader.h"
#include "ui/analyze/address_analyze_dlg.h"
#include "ui/compose/address_dlg.h"
#include "ui/platform/button_column.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
CAddressListPlate::CAddressListPlate(CommandId command) : CPlate(command) {}

void CAddressListPlate::BuildPlate() {
  const CommandInfo& texts = *FindCommand(command());
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("addressList"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  QPushButton* add = NamedButton(QStringLiteral("追加"), "addButton");
  deleteButton_ = NamedButton(QStringLiteral("削除"), "deleteButton");
  deleteButton_->setEnabled(false);
  QPushButton* extract = NamedButton(QStringLiteral("ｱﾄﾞﾚｽ抽出"), "extractButton");
  QPushButton* review = NamedButton(QStringLiteral("返送ﾒｰﾙ集計"), "bounceReviewButton");
  review->setToolTip(
      QStringLiteral("mbox、Maildir、IMAP の返送ﾒｰﾙをまとめて読み、削除するｱﾄﾞﾚｽを選びます"));
  review->setVisible(command() == ID_UNSUBSCRIBE_PLATE && reviewReturnedMails != nullptr);
  connect(review, &QPushButton::clicked, this, [this] { ReviewBounces({}); });
  connect(add, &QPushButton::clicked, this, &CAddressListPlate::AddTypedAddress);
  connect(deleteButton_, &QPushButton::clicked, this, &CAddressListPlate::DeleteSelected);
  connect(extract, &QPushButton::clicked, this, &CAddressListPlate::ChooseMailToExtract);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!list_->selectedItems().isEmpty()) deleteButton_->setEnabled(true);
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QString::fromUtf8(texts.description)));
  layout->addWidget(new QLabel(QString::fromUtf8(texts.note)));
  layout->addLayout(WithButtonColumn(list_, {add, deleteButton_, extract, review}), 1);
}

std::optional<CommandInput> CAddressListPlate::Input() {
  CommandInput input;
  input.addresses = addresses_.entries();
  return input;
}

void CAddressListPlate::Add(std::string address) {
  const QString shown = FromCp932(address);
  const std::size_t row = addresses_.Add(std::move(address));
  list_->insertItem(static_cast<int>(row), shown);
}

void CAddressListPlate::AddTypedAddress() {
  CAddressDlg dialog(list != nullptr ? list->Type : ServerKind::None, this);
  if (ExecModal(dialog) != QDialog::Accepted) return;
  Add(dialog.address());
  deleteButton_->setEnabled(true);
}

void CAddressListPlate::DeleteSelected() {
  const int row = list_->currentRow();
  if (row >= 0 && list_->item(row)->isSelected()) {
    addresses_.Remove(static_cast<std::size_t>(row));
    delete list_->takeItem(row);
  }
  if (addresses_.empty()) deleteButton_->setEnabled(false);
}

void CAddressListPlate::ChooseMailToExtract() {
  const QString path = AskOpenFileName(this, QStringLiteral("全てのﾌｧｲﾙ (*)"));
  if (!path.isEmpty()) ExtractAddresses(path);
}

void CAddressListPlate::AnalyzeFile(const QString& path) {
  ExtractAddresses(path);
}

void CAddressListPlate::ExtractAddresses(const QString& path) {
  const ExtractionMode mode = FindCommand(command())->extraction;
  if (mode == ExtractionMode::Returned && reviewReturnedMails != nullptr &&
      IsMailbox(std::filesystem::path(QFile::encodeName(path).toStdString()))) {
    return ReviewBounces({path});
  }
  CAddressAnalyzeDlg dialog(path, mode, this);
  if (dialog.Run() != QDialog::Accepted) return;
  for (const std::string& address : dialog.addresses())
    Add(address);
}

void CAddressListPlate::ReviewBounces(const QStringList& mailboxes) {
  if (reviewReturnedMails == nullptr) return;
  const std::optional<std::vector<std::string>> ticked = reviewReturnedMails(mailboxes);
  if (!ticked) return;
  for (const std::string& address : *ticked)
    Add(address);
}

}  // namespace tarnwick
