#include "ui/compose/address_list_plate.h"

#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <memory>

#include "core/analyze/mailbox_reader.h"
#include "ui/analyze/address_analyze_dlg.h"
#include "ui/compose/address_dlg.h"
#include "ui/compose/address_intake.h"
#include "ui/platform/background_task.h"
#include "ui/platform/button_column.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

ServerKind KindOf(const MailingList* list) {
  return list != nullptr ? list->Type : ServerKind::None;
}

// The files as one text of addresses: what each gave, its refused lines and duplicates counted.
AddressText ReadFiles(const std::vector<std::string>& paths, ServerKind kind) {
  AddressText all;
  for (const std::string& path : paths) {
    AddressText one = ReadAddressFile(path, kind, AddressTextRule::Loose);
    if (one.refusal) return one;
    all.addresses.insert(all.addresses.end(), one.addresses.begin(), one.addresses.end());
    all.duplicates += one.duplicates;
    all.refusedCount += one.refusedCount;
    for (RefusedAddress& refused : one.refused) {
      if (all.refused.size() < kMaxRefusedKept) all.refused.push_back(std::move(refused));
    }
  }
  return all;
}

}  // namespace

CAddressListPlate::CAddressListPlate(CommandId command) : CPlate(command) {}

void CAddressListPlate::BuildPlate() {
  const CommandInfo& texts = *FindCommand(command());
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("addressList"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setAcceptDrops(true);
  list_->viewport()->setAcceptDrops(true);
  list_->viewport()->installEventFilter(this);
  list_->installEventFilter(this);  // Ctrl+V
  list_->setToolTip(QStringLiteral("ﾒｰﾙに入るｱﾄﾞﾚｽ。Ctrl+V で貼り付け、ﾌｧｲﾙのﾄﾞﾛｯﾌﾟもできます"));
  QPushButton* add = NamedButton(QStringLiteral("追加"), "addButton");
  add->setToolTip(QStringLiteral("ｱﾄﾞﾚｽを入力して加えます (何行でも貼り付けられます)"));
  deleteButton_ = NamedButton(QStringLiteral("削除"), "deleteButton");
  deleteButton_->setEnabled(false);
  clearButton_ = NamedButton(QStringLiteral("全て削除"), "clearButton");
  clearButton_->setEnabled(false);
  deleteButton_->setToolTip(QStringLiteral("選んだｱﾄﾞﾚｽを一覧から除きます"));
  clearButton_->setToolTip(QStringLiteral("一覧のｱﾄﾞﾚｽをすべて除きます"));
  QPushButton* load = NamedButton(QStringLiteral("読込(&O)..."), "loadButton");
  load->setToolTip(QStringLiteral("1行に1ｱﾄﾞﾚｽのﾃｷｽﾄか、ｱﾄﾞﾚｽの列があるCSVを読み込みます"));
  QPushButton* extract = NamedButton(QStringLiteral("ｱﾄﾞﾚｽ抽出"), "extractButton");
  extract->setToolTip(QStringLiteral("返送ﾒｰﾙなどのﾒｰﾙﾌｧｲﾙからｱﾄﾞﾚｽを取り出します"));
  QPushButton* review = NamedButton(QStringLiteral("返送ﾒｰﾙ集計"), "bounceReviewButton");
  review->setToolTip(
      QStringLiteral("mbox、Maildir、IMAP の返送ﾒｰﾙをまとめて読み、削除するｱﾄﾞﾚｽを選びます"));
  review->setVisible(command() == ID_UNSUBSCRIBE_PLATE && reviewReturnedMails != nullptr);
  connect(review, &QPushButton::clicked, this, [this] { ReviewBounces({}); });
  connect(add, &QPushButton::clicked, this, &CAddressListPlate::AddTypedAddress);
  connect(deleteButton_, &QPushButton::clicked, this, &CAddressListPlate::DeleteSelected);
  connect(clearButton_, &QPushButton::clicked, this, &CAddressListPlate::ClearAddresses);
  connect(load, &QPushButton::clicked, this, &CAddressListPlate::ChooseAddressFile);
  connect(extract, &QPushButton::clicked, this, &CAddressListPlate::ChooseMailToExtract);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!list_->selectedItems().isEmpty()) deleteButton_->setEnabled(true);
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QString::fromUtf8(texts.description)));
  layout->addWidget(new QLabel(QString::fromUtf8(texts.note)));
  layout->addLayout(
      WithButtonColumn(list_, {add, deleteButton_, clearButton_, load, extract, review}), 1);
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
  clearButton_->setEnabled(true);
}

void CAddressListPlate::RestoreAddresses(AddressList addresses) {
  addresses_ = std::move(addresses);
  if (list_ != nullptr) ShowAddresses();
}

// The list shown again whole: cheaper than thousands of inserts one by one.
void CAddressListPlate::ShowAddresses() {
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(addresses_.size()));
  for (const std::string& address : addresses_.entries())
    shown << FromCp932(address);
  list_->clear();
  list_->addItems(shown);
  if (addresses_.empty()) deleteButton_->setEnabled(false);
  clearButton_->setEnabled(!addresses_.empty());
}

// Thousands of pasted addresses are gone with one click: the plate asks first.
void CAddressListPlate::ClearAddresses() {
  if (addresses_.empty()) return;
  if (!AskOkCancel(this, kProgramCaption,
                   QStringLiteral("入力したｱﾄﾞﾚｽ %1 件を全て削除しますか?").arg(addresses_.size()),
                   QStringLiteral("全て削除"), QStringLiteral("ｷｬﾝｾﾙ"))) {
    return;
  }
  addresses_.Clear();
  ShowAddresses();
}

void CAddressListPlate::TakeAddresses(const AddressText& text) {
  const std::size_t before = addresses_.size();
  const std::size_t held = text.refusal ? 0 : addresses_.AddNew(text.addresses);
  ShowAddresses();
  ReportAddresses(this, text, addresses_.size() - before, held);
}

void CAddressListPlate::AddTypedAddress() {
  CAddressDlg dialog(KindOf(list), this);
  if (ExecModal(dialog) != QDialog::Accepted) return;
  TakeAddresses(dialog.text());
  deleteButton_->setEnabled(true);
}

void CAddressListPlate::PasteAddresses(const QString& text) {
  if (!text.trimmed().isEmpty()) TakeAddresses(ReadPastedAddresses(text, KindOf(list)));
}

void CAddressListPlate::ChooseAddressFile() {
  const QString path =
      AskOpenFileName(this, QStringLiteral("ｱﾄﾞﾚｽのﾌｧｲﾙ (*.txt *.csv);;全てのﾌｧｲﾙ (*)"));
  if (!path.isEmpty()) ReadAddressFiles({path});
}

void CAddressListPlate::ReadAddressFiles(const QStringList& paths) {
  std::vector<std::string> names;
  for (const QString& path : paths) {
    std::optional<std::string> name = ToCp932(path);
    if (!name) return ShowMessage(this, kProgramCaption, QStringLiteral("ﾌｧｲﾙを読めません"));
    names.push_back(std::move(*name));
  }
  auto read = std::make_shared<AddressText>();
  ++reading_;
  BackgroundTask::Start(
      this,
      [names = std::move(names), kind = KindOf(list), read](BackgroundTask::Context&) {
        *read = ReadFiles(names, kind);
      },
      [this, read] {
        --reading_;
        TakeAddresses(*read);
      });
}

// Ctrl+V pastes into the list; text or text files dropped on it are addresses (a file dropped
// elsewhere on the window stays a mail to extract from).
bool CAddressListPlate::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
    PasteAddresses(QGuiApplication::clipboard()->text());
    return true;
  }
  if (watched != list_->viewport()) return CPlate::eventFilter(watched, event);
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (!drag->mimeData()->hasUrls() && !drag->mimeData()->hasText()) return false;
    drag->acceptProposedAction();
    return true;
  }
  if (event->type() != QEvent::Drop) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  drop->acceptProposedAction();
  QStringList files;
  for (const QUrl& url : drop->mimeData()->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  if (!files.isEmpty()) {
    ReadAddressFiles(files);
  } else {
    PasteAddresses(drop->mimeData()->text());
  }
  return true;
}

void CAddressListPlate::DeleteSelected() {
  QList<int> rows;
  for (const QListWidgetItem* item : list_->selectedItems())
    rows << list_->row(item);
  std::sort(rows.begin(), rows.end(), std::greater<int>());
  for (const int row : rows)
    addresses_.Remove(static_cast<std::size_t>(row));
  ShowAddresses();
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
