#include "ui/results/bounce_review_dlg.h"

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/incoming/imap_mailbox.h"
#include "core/results/roster_cache.h"
#include "core/store/common_settings.h"
#include "ui/analyze/address_analyze_dlg.h"
#include "ui/platform/background_task.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

enum Column { kAddress, kKind, kReports, kFirst, kLast, kStatus, kMember, kColumns };

// The progress bar's steps over the whole reading.
constexpr int kProgressSteps = 1000;

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString MembershipText(Membership membership) {
  switch (membership) {
    case Membership::Member:
      return QStringLiteral("ﾒﾝﾊﾞｰ");
    case Membership::NonMember:
      return QStringLiteral("非ﾒﾝﾊﾞｰ");
    case Membership::Unknown:
      break;
  }
  return QStringLiteral("不明");
}

// One row an address, sorted by it at first.
QTableWidget* BounceTable() {
  auto* table = new QTableWidget(0, kColumns);
  table->setObjectName(QStringLiteral("bounceTable"));
  table->setHorizontalHeaderLabels({QStringLiteral("ｱﾄﾞﾚｽ"), QStringLiteral("種別"),
                                    QStringLiteral("件数"), QStringLiteral("初回"),
                                    QStringLiteral("最終"), QStringLiteral("ｽﾃｰﾀｽ"),
                                    QStringLiteral("ﾒﾝﾊﾞｰ")});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSortingEnabled(true);
  table->horizontalHeader()->setSortIndicator(kAddress, Qt::AscendingOrder);
  table->verticalHeader()->hide();
  // The address takes what the short columns leave, so the state and the membership show
  // without scrolling however long the addresses are.
  QHeaderView* header = table->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(kAddress, QHeaderView::Stretch);
  table->setToolTip(QStringLiteral(
      "ﾁｪｯｸしたｱﾄﾞﾚｽを OK で削除の一覧に加えます。削除候補は初めからﾁｪｯｸされています"));
  return table;
}

// The days a temporary failure must be seen on, as the settings last kept them.
QSpinBox* DaysField(const SettingsStore& store) {
  auto* days = new QSpinBox;
  days->setObjectName(QStringLiteral("bounceDays"));
  days->setRange(static_cast<int>(kBounceDays.min), static_cast<int>(kBounceDays.max));
  days->setValue(static_cast<int>(CommonSettings::Load(store).Number(kBounceDays)));
  days->setToolTip(
      QStringLiteral("一時的な不達 (ﾒｰﾙﾎﾞｯｸｽが一杯など) "
                     "が何日あれば削除候補にするか。永続的な不達は1回で候補です"));
  return days;
}

// The mailbox as tarnwick's readers name it: the path in the file system's own bytes.
std::string MailboxName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace

std::optional<std::vector<std::string>> ReviewReturnedMails(const SettingsStore& store,
                                                            const MailingListRegister& lists,
                                                            const MailingList* list,
                                                            const QStringList& mailboxes,
                                                            QWidget* parent) {
  CBounceReviewDlg dialog(store, lists, list, parent);
  dialog.Read(mailboxes);
  if (ExecModal(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.addresses();
}

// What a reading works on and gives back; shared by the dialog and the reading's thread, which
// touch it one after the other (the thread until it ends, then the dialog).
struct CBounceReviewDlg::Reading {
  std::vector<std::string> mailboxes;
  IncomingSettings settings;
  std::string mailBox;
  MailingListRegister lists;  // a copy: the window's own may change meanwhile
  std::string listTitle;
  BounceTally tally;  // the dialog's so far, with the new mails added
  MailboxesRead read;
  std::optional<Roster> roster;
};

CBounceReviewDlg::CBounceReviewDlg(const SettingsStore& store, const MailingListRegister& lists,
                                   const MailingList* list, QWidget* parent)
    : QDialog(parent),
      store_(store),
      lists_(lists),
      listTitle_(list != nullptr ? list->Title : std::string()),
      table_(BounceTable()),
      days_(DaysField(store)),
      progress_(new QProgressBar),
      stop_(NamedButton(QStringLiteral("中止"), "stopButton")),
      status_(NamedLabel(QString(), "readStatus")) {
  setWindowTitle(list != nullptr ? QStringLiteral("返送ﾒｰﾙの集計 - %1").arg(FromCp932(list->Title))
                                 : QStringLiteral("返送ﾒｰﾙの集計"));
  setAcceptDrops(true);
  auto* sources = new QHBoxLayout;
  for (const auto& [text, name, tip, choose] :
       {std::tuple{QStringLiteral("ﾌｧｲﾙ(&F)..."), "fileButton",
                   QStringLiteral("mbox ﾌｧｲﾙを読みます"), &CBounceReviewDlg::ChooseFile},
        std::tuple{QStringLiteral("ﾌｫﾙﾀﾞ(&D)..."), "folderButton",
                   QStringLiteral("Maildir ﾌｫﾙﾀﾞを読みます"), &CBounceReviewDlg::ChooseFolder},
        std::tuple{QStringLiteral("IMAP(&I)..."), "imapButton",
                   QStringLiteral("共通設定の受信ｻｰﾊﾞｰのﾌｫﾙﾀﾞを読みます"),
                   &CBounceReviewDlg::ChooseImapFolder}}) {
    QPushButton* button = NamedButton(text, name);
    button->setToolTip(tip);
    button->setAutoDefault(false);  // Return is OK's, wherever the focus is
    connect(button, &QPushButton::clicked, this, choose);
    sources->addWidget(button);
    sourceButtons_.append(button);
  }
  sources->addStretch();
  connect(days_, &QSpinBox::valueChanged, this, &CBounceReviewDlg::Fill);
  sources->addWidget(new QLabel(QStringLiteral("一時的な不達は")));
  sources->addWidget(days_);
  sources->addWidget(new QLabel(QStringLiteral("日で削除候補")));

  progress_->setObjectName(QStringLiteral("readProgress"));
  progress_->setRange(0, kProgressSteps);
  stop_->setAutoDefault(false);
  connect(stop_, &QPushButton::clicked, this, &CBounceReviewDlg::Stop);
  auto* reading = new QHBoxLayout;
  reading->addWidget(progress_, 1);
  reading->addWidget(stop_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(sources);
  layout->addWidget(table_, 1);
  layout->addLayout(reading);
  layout->addWidget(status_);
  layout->addWidget(OkCancelButtons(this));
  status_->setText(
      QStringLiteral("mbox ﾌｧｲﾙ、Maildir ﾌｫﾙﾀﾞ、IMAP ﾌｫﾙﾀﾞを読むか、ここへﾄﾞﾛｯﾌﾟしてください"));
  SetReading(false);
  resize(760, 460);
}

CBounceReviewDlg::~CBounceReviewDlg() {
  Stop();
}

void CBounceReviewDlg::Read(const QStringList& mailboxes) {
  if (work_ != nullptr || mailboxes.isEmpty()) return;
  auto reading = std::make_shared<Reading>();
  for (const QString& mailbox : mailboxes)
    reading->mailboxes.push_back(MailboxName(mailbox));
  const CommonSettings common = CommonSettings::Load(store_);
  reading->settings = ReadIncomingSettings(common);
  reading->mailBox = common.Text(kMailBox);
  reading->lists = lists_.Copy();
  reading->listTitle = listTitle_;
  reading->tally = tally_;
  work_ = BackgroundTask::Start(
      this, [this, reading](BackgroundTask::Context& context) { Run(*reading, context, this); },
      [this, reading] { Finished(*reading); });
  SetReading(true);
  progress_->setValue(0);
  status_->setText(QStringLiteral("読み込み中..."));
}

// On the reading's thread: touches only the reading, and the dialog only by posted steps.
void CBounceReviewDlg::Run(Reading& reading, BackgroundTask::Context& context,
                           CBounceReviewDlg* dialog) {
  int shown = -1;
  reading.read = TallyMailboxes(
      reading.mailboxes, reading.settings, reading.tally, [&](double done, std::size_t mails) {
        const int step = static_cast<int>(done * kProgressSteps);
        if (step != shown) {
          shown = step;
          context.Post([dialog, done, mails] { dialog->Progressed(done, mails); });
        }
        return !context.stopRequested();
      });
  if (const MailingList* list = reading.lists.FindByTitle(reading.listTitle))
    reading.roster = CachedLatestRoster(reading.mailBox, reading.lists, *list);
}

void CBounceReviewDlg::Stop() {
  if (work_ != nullptr) work_->Stop();
}

void CBounceReviewDlg::Progressed(double done, std::size_t mails) {
  progress_->setValue(static_cast<int>(done * kProgressSteps));
  status_->setText(QStringLiteral("読み込み中... %1通").arg(mails_ + mails));
}

void CBounceReviewDlg::Finished(Reading& reading) {
  work_ = nullptr;
  tally_ = std::move(reading.tally);
  mails_ += reading.read.mails;
  if (!listTitle_.empty()) members_.emplace(reading.roster);
  SetReading(false);
  progress_->setValue(reading.read.stopped ? progress_->value() : kProgressSteps);
  Fill();
  table_->setFocus();
  if (!reading.read.failure.empty()) ShowMessage(this, kProgramCaption, Utf8(reading.read.failure));
}

ReviewTicks CBounceReviewDlg::Ticks() const {
  return ReviewTicks(members_ ? &*members_ : nullptr);
}

void CBounceReviewDlg::Fill() {
  std::vector<ReviewTicks::Row> ticked;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QTableWidgetItem* item = table_->item(row, kAddress);
    ticked.push_back({item->text().toStdString(), item->checkState() == Qt::Checked});
  }
  std::vector<AddressTally> next = tally_.Result(static_cast<std::size_t>(days_->value()));
  const std::vector<bool> ticks = Ticks().Carry(shown_, ticked, next);
  shown_ = std::move(next);
  table_->setSortingEnabled(false);
  table_->setRowCount(static_cast<int>(shown_.size()));
  for (std::size_t row = 0; row < shown_.size(); ++row)
    SetRow(static_cast<int>(row), shown_[row], ticks[row]);
  table_->setSortingEnabled(true);
  ShowSummary();
}

void CBounceReviewDlg::SetRow(int row, const AddressTally& tally, bool ticked) {
  auto* address = new QTableWidgetItem(Utf8(tally.address));
  address->setFlags(address->flags() | Qt::ItemIsUserCheckable);
  address->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  table_->setItem(row, kAddress, address);
  auto* reports = new QTableWidgetItem;
  reports->setData(Qt::DisplayRole, static_cast<qulonglong>(tally.reports));  // sorts as a number
  table_->setItem(row, kReports, reports);
  const QString texts[] = {tally.permanent ? QStringLiteral("永続的") : QStringLiteral("一時的"),
                           Utf8(FormatDay(tally.first)), Utf8(FormatDay(tally.last)),
                           Utf8(tally.lastStatus),
                           members_ ? MembershipText(Ticks().Of(tally)) : QString()};
  const Column columns[] = {kKind, kFirst, kLast, kStatus, kMember};
  for (std::size_t i = 0; i < std::size(columns); ++i)
    table_->setItem(row, columns[i], new QTableWidgetItem(texts[i]));
}

void CBounceReviewDlg::ShowSummary() {
  const auto count = [&](auto holds) { return std::count_if(shown_.begin(), shown_.end(), holds); };
  QString text = QStringLiteral("%1通を読み、%2件のｱﾄﾞﾚｽ (削除候補 %3件)")
                     .arg(mails_)
                     .arg(shown_.size())
                     .arg(count([](const AddressTally& tally) { return tally.proposed; }));
  const ReviewTicks ticks = Ticks();
  const auto nonMembers =
      count([&](const AddressTally& tally) { return ticks.Of(tally) == Membership::NonMember; });
  if (members_ && !members_->known()) text += QStringLiteral("。ﾒﾝﾊﾞｰ一覧はまだありません");
  if (nonMembers > 0) text += QStringLiteral("。非ﾒﾝﾊﾞｰ %1件").arg(nonMembers);
  status_->setText(text);
}

void CBounceReviewDlg::SetReading(bool reading) {
  for (QPushButton* button : sourceButtons_)
    button->setEnabled(!reading);
  stop_->setEnabled(reading);
  progress_->setVisible(reading || progress_->value() > 0);
  if (auto* buttons = findChild<QDialogButtonBox*>()) {
    if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setEnabled(!reading);
  }
}

void CBounceReviewDlg::ChooseFile() {
  const QString path = AskOpenFileName(this, QStringLiteral("全てのﾌｧｲﾙ (*)"));
  if (!path.isEmpty()) Read({path});
}

void CBounceReviewDlg::ChooseFolder() {
  const QString path = AskFolderName(this);
  if (!path.isEmpty()) Read({path});
}

void CBounceReviewDlg::ChooseImapFolder() {
  QInputDialog ask(this);
  ask.setWindowTitle(QStringLiteral("IMAP ﾌｫﾙﾀﾞ"));
  ask.setLabelText(QStringLiteral("返送ﾒｰﾙのある IMAP ﾌｫﾙﾀﾞの名前"));
  ask.setTextValue(FromCp932(CommonSettings::Load(store_).Text(kIncomingFolder)));
  if (auto* folder = ask.findChild<QLineEdit*>()) {
    folder->setToolTip(QStringLiteral(
        "返送ﾒｰﾙが集まるﾌｫﾙﾀﾞ (例: INBOX)。共通設定の受信ｻｰﾊﾞｰから読むだけで、ﾒｰﾙは変更しません"));
  }
  if (ExecModal(ask) != QDialog::Accepted || ask.textValue().trimmed().isEmpty()) return;
  Read({QString::fromUtf8(kImapMailboxPrefix.data(), kImapMailboxPrefix.size()) +
        ask.textValue().trimmed()});
}

void CBounceReviewDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (work_ == nullptr && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CBounceReviewDlg::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  Read(paths);
}

void CBounceReviewDlg::accept() {
  if (work_ != nullptr) return;
  addresses_.clear();
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QTableWidgetItem* item = table_->item(row, kAddress);
    if (item->checkState() == Qt::Checked) addresses_.push_back(item->text().toStdString());
  }
  if (addresses_.empty() && !AgreesToAddNone(this)) return;
  CommonSettings common = CommonSettings::Load(store_);
  if (common.Number(kBounceDays) != static_cast<std::uint32_t>(days_->value())) {
    common.Set(kBounceDays, static_cast<std::uint32_t>(days_->value()));
    common.Save(store_);
  }
  QDialog::accept();
}

}  // namespace tarnwick
