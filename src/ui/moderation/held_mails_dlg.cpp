#include "ui/moderation/held_mails_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "core/analyze/mime_mail.h"
#include "core/moderation/held_view.h"
#include "core/store/common_settings.h"
#include "ui/moderation/held_table.h"
#include "ui/platform/background_task.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString HeaderText(const ReadableMail& mail) {
  QStringList lines;
  const std::pair<const char*, const std::string*> fields[] = {
      {"From", &mail.from}, {"To", &mail.to}, {"Subject", &mail.subject}, {"Date", &mail.date}};
  for (const auto& [name, value] : fields)
    lines << QStringLiteral("%1: %2").arg(QLatin1String(name), Utf8(*value).toHtmlEscaped());
  return lines.join(QStringLiteral("<br>"));
}

QString AttachmentsText(const ReadableMail& mail) {
  QStringList names;
  for (const ReadableMail::Attachment& attachment : mail.attachments) {
    const QString name =
        attachment.name.empty() ? QStringLiteral("(名前なし)") : Utf8(attachment.name);
    const auto bytes = static_cast<qint64>(attachment.bytes);
    names << QStringLiteral("%1 (%2)").arg(
        name, bytes < 1024
                  ? QStringLiteral("%1 ﾊﾞｲﾄ").arg(bytes)
                  : QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat));
  }
  return names.isEmpty() ? QString() : QStringLiteral("添付: ") + names.join(QStringLiteral(", "));
}

// The reason a rejection gives the poster, in CP932; nothing when the moderator cancels.
std::optional<std::string> AskRejectReason(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("却下"));
  QLineEdit* reason = NamedEdit("rejectReason");
  reason->setToolTip(QStringLiteral("却下の知らせに書かれ、投稿者に届きます"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QStringLiteral("却下の理由 (投稿者に知らせます):")));
  layout->addWidget(reason);
  layout->addWidget(OkCancelButtons(&dialog));
  dialog.resize(420, dialog.sizeHint().height());
  while (ExecModal(dialog) == QDialog::Accepted) {
    if (std::optional<std::string> typed = TypedCp932(*reason)) return typed;
  }
  return std::nullopt;
}

}  // namespace

CHeldMailsDlg::CHeldMailsDlg(const SettingsStore& store, const MailingListRegister& lists,
                             QWidget* parent, std::function<void()> answered)
    : QDialog(parent),
      store_(store),
      lists_(lists),
      answered_(std::move(answered)),
      model_(new HeldModel),
      filter_(new HeldFilter),
      table_(new QTableView) {
  setWindowTitle(QStringLiteral("保留ﾒｰﾙ"));
  model_->setParent(this);
  filter_->setParent(this);
  filter_->setSourceModel(model_);
  table_->setObjectName(QStringLiteral("heldItems"));
  table_->setToolTip(
      QStringLiteral("選んだﾒｰﾙを下に表示します。複数選んでまとめて承認・却下・破棄できます"));
  table_->setModel(filter_);
  table_->setSortingEnabled(true);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->sortByColumn(kHeldDate, Qt::DescendingOrder);
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CHeldMailsDlg::ShowSelected);
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(table_);
  split->addWidget(BuildPreview());
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildFilterRow());
  layout->addWidget(split, 1);
  layout->addLayout(BuildButtons());
  resize(900, 620);
  Load();
}

CHeldMailsDlg::~CHeldMailsDlg() = default;

QWidget* CHeldMailsDlg::BuildFilterRow() {
  listChoice_ = new QComboBox;
  listChoice_->setObjectName(QStringLiteral("listChoice"));
  listChoice_->addItem(QStringLiteral("全てのﾘｽﾄ"), -1);
  for (std::size_t i = 0; i < lists_.size(); ++i)
    listChoice_->addItem(FromCp932(lists_.at(i).Title), static_cast<int>(i));
  showAll_ = new QCheckBox(QStringLiteral("処理済みも表示"));
  showAll_->setObjectName(QStringLiteral("showAll"));
  listChoice_->setToolTip(QStringLiteral("表示するﾘｽﾄ"));
  showAll_->setToolTip(QStringLiteral("承認・却下・破棄したものも一覧に出します"));
  status_ = NamedLabel(QStringLiteral("読み込み中..."), "heldStatus");
  connect(listChoice_, &QComboBox::currentIndexChanged, this,
          [this] { filter_->SetList(listChoice_->currentData().toInt()); });
  connect(showAll_, &QCheckBox::toggled, filter_, &HeldFilter::SetShowAll);
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("ﾘｽﾄ:")));
  layout->addWidget(listChoice_);
  layout->addWidget(showAll_);
  layout->addWidget(status_, 1);
  return row;
}

QWidget* CHeldMailsDlg::BuildPreview() {
  header_ = NamedLabel(QString(), "postHeader");
  header_->setTextFormat(Qt::RichText);
  header_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_ = new QPlainTextEdit;
  text_->setObjectName(QStringLiteral("postText"));
  text_->setReadOnly(true);
  attachments_ = NamedLabel(QString(), "postAttachments");
  attachments_->setWordWrap(true);
  auto* preview = new QWidget;
  auto* layout = new QVBoxLayout(preview);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(header_);
  layout->addWidget(text_, 1);
  layout->addWidget(attachments_);
  return preview;
}

QLayout* CHeldMailsDlg::BuildButtons() {
  approve_ = NamedButton(QStringLiteral("承認(&A)"), "approve");
  reject_ = NamedButton(QStringLiteral("却下(&R)..."), "reject");
  discard_ = NamedButton(QStringLiteral("破棄(&D)"), "discard");
  newPostNote_ = NamedLabel(
      QStringLiteral("選んだ投稿は、承認すると管理者の名前で新しい投稿としてﾘｽﾄに送られます"),
      "newPostNote");
  newPostNote_->setWordWrap(true);
  newPostNote_->hide();
  QDialogButtonBox* close = CloseButtons(this);
  auto* buttons = new QHBoxLayout;
  const std::pair<QPushButton*, HeldAnswer> answers[] = {{approve_, HeldAnswer::Approve},
                                                         {reject_, HeldAnswer::Reject},
                                                         {discard_, HeldAnswer::Discard}};
  for (const auto& [button, answer] : answers) {
    button->setEnabled(false);
    connect(button, &QPushButton::clicked, this, [this, answer] { Answer(answer); });
    buttons->addWidget(button);
  }
  buttons->addWidget(newPostNote_, 1);
  buttons->addWidget(close);
  return buttons;
}

// The store is read on the pool: ten thousand items are megabytes of records, each decoded.
void CHeldMailsDlg::Load() {
  if (load_ != nullptr) return;
  struct Outcome {
    std::optional<HeldStore> store;
    std::vector<HeldRow> rows;
    std::string failure;
  };
  auto outcome = std::make_shared<Outcome>();
  auto copies = std::make_shared<MailingListRegister>(lists_.Copy());
  load_ = BackgroundTask::Start(
      this,
      [outcome, copies, mailBox = ReadMailBox(store_)](BackgroundTask::Context&) {
        outcome->store = HeldStore::Open(mailBox, outcome->failure);
        if (outcome->store)
          outcome->rows = MakeHeldRows(outcome->store->items(), *copies, std::time(nullptr));
      },
      [this, outcome] {
        load_ = nullptr;
        Loaded(std::move(outcome->store), std::move(outcome->rows), Utf8(outcome->failure));
      });
}

void CHeldMailsDlg::Loaded(std::optional<HeldStore> store, std::vector<HeldRow> rows,
                           const QString& failure) {
  held_ = std::move(store);
  const std::size_t all = rows.size();
  const auto pending = std::count_if(rows.begin(), rows.end(), [](const HeldRow& row) {
    return row.item.state == HeldState::Pending;
  });
  model_->Reset(std::move(rows));
  table_->resizeColumnsToContents();
  // A long reason or subject leaves room for the state and the days left; its tooltip has it all.
  for (int column = 0; column < kHeldColumns; ++column)
    table_->setColumnWidth(column, std::min(table_->columnWidth(column), 220));
  status_->setText(held_ ? QStringLiteral("保留中 %1件 (全 %2件)").arg(pending).arg(all) : failure);
  ShowSelected();
}

std::vector<const HeldRow*> CHeldMailsDlg::SelectedRows() const {
  std::vector<const HeldRow*> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows.push_back(&model_->row(filter_->mapToSource(index).row()));
  return rows;
}

void CHeldMailsDlg::ShowSelected() {
  const std::vector<const HeldRow*> rows = SelectedRows();
  for (QPushButton* button : {approve_, reject_, discard_})
    button->setEnabled(!rows.empty() && held_);
  newPostNote_->setVisible(std::any_of(rows.begin(), rows.end(), [](const HeldRow* row) {
    return ApprovalIsNewPost(row->item) && row->item.state == HeldState::Pending;
  }));
  header_->clear();
  text_->clear();
  attachments_->clear();
  if (rows.size() == 1) ShowPost(*rows.front());
}

void CHeldMailsDlg::Answer(HeldAnswer answer) {
  std::vector<std::uint64_t> ids;
  for (const HeldRow* row : SelectedRows())
    ids.push_back(row->item.id);
  if (ids.empty() || !held_ || loading()) return;
  AnswerInput input;
  if (answer == HeldAnswer::Reject) {
    std::optional<std::string> reason = AskRejectReason(this);
    if (!reason) return;
    input.reason = std::move(*reason);
  }
  input.rejectTemplate = CommonSettings::Load(store_).Text(kRejectTemplate);
  MailingListRegister lists = lists_.Copy();
  for (std::size_t i = 0; answer != HeldAnswer::Discard && i < lists.size(); ++i)
    LoadPassword(lists.at(i));
  MailQueue queue(ReadMailBox(store_));
  const std::vector<ItemAnswered> answered = AnswerItems(answer, ids, *held_, lists, queue, input);
  if (std::any_of(answered.begin(), answered.end(),
                  [](const ItemAnswered& item) { return !item.queued.empty(); }) &&
      answered_) {
    answered_();
  }
  ShowRefusals(answered);
  Load();
}

// One message for all the items, each refusal and warning in its scrollable detail.
void CHeldMailsDlg::ShowRefusals(const std::vector<ItemAnswered>& answered) {
  QStringList details;
  int refused = 0;
  for (const ItemAnswered& item : answered) {
    if (item.refusal) {
      ++refused;
      details << QStringLiteral("#%1: %2").arg(item.id).arg(Utf8(*item.refusal));
    }
    if (!item.warning.empty())
      details << QStringLiteral("#%1: %2").arg(item.id).arg(Utf8(item.warning));
  }
  if (details.isEmpty()) return;
  QMessageBox box(
      refused != 0 ? QMessageBox::Warning : QMessageBox::Information, kProgramCaption,
      refused != 0
          ? QStringLiteral("%1件のうち%2件は処理しませんでした").arg(answered.size()).arg(refused)
          : QStringLiteral("%1件を処理しました").arg(answered.size()),
      QMessageBox::Ok, this);
  box.setDetailedText(details.join(QLatin1Char('\n')));
  ExecModal(box);
}

void CHeldMailsDlg::ShowPost(const HeldRow& row) {
  const std::optional<std::string> post = held_ ? held_->PostOf(row.item) : std::nullopt;
  const std::optional<ReadableMail> mail = post ? ReadReadableMail(*post) : std::nullopt;
  if (!mail) {
    text_->setPlainText(QStringLiteral("保留されたﾒｰﾙを読めませんでした"));
    return;
  }
  header_->setText(HeaderText(*mail));
  text_->setPlainText(Utf8(mail->text));
  attachments_->setText(AttachmentsText(*mail));
  if (!row.item.postWhole)
    attachments_->setText(attachments_->text() +
                          QStringLiteral(" (通知には途中までしかありません)"));
}

}  // namespace tarnwick
