#include "ui/results/sent_mails_dlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/compose/command_names.h"
#include "core/moderation/held_collect.h"
#include "core/moderation/held_view.h"
#include "core/results/reply_matching.h"
#include "core/store/common_settings.h"
#include "ui/compose/address_intake.h"
#include "ui/platform/background_task.h"
#include "ui/platform/file_dialogs.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"
#include "ui/results/roster_sync_dlg.h"

namespace tarnwick {
namespace {

QTableWidget* Table(const QStringList& headers, const char* name) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()));
  table->setObjectName(QString::fromLatin1(name));
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSortingEnabled(true);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

QString Time(std::time_t time) {
  return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

QString FetchOutcome(const FetchReport& report) {
  if (!report.failure.empty()) return Utf8(report.failure);
  QString outcome =
      QStringLiteral("%1通を読み、%2通の返信を照合しました").arg(report.read).arg(report.matched);
  if (report.collected != 0)
    outcome += QStringLiteral("、保留ﾒｰﾙの通知 %1通を取り込みました").arg(report.collected);
  if (report.tooLarge != 0)
    outcome += QStringLiteral("（大きすぎる返信 %1通は受け取りませんでした）").arg(report.tooLarge);
  return outcome;
}

BackgroundTask* StartResultsWork(const SettingsStore& store, const MailingListRegister& lists,
                                 bool fetch, QObject* owner,
                                 std::function<void(const QString&, const ResultCounts&)> done) {
  auto copies = std::make_shared<MailingListRegister>(lists.Copy());
  auto outcome = std::make_shared<QString>();
  auto counts = std::make_shared<ResultCounts>();
  const CommonSettings common = CommonSettings::Load(store);
  return BackgroundTask::Start(
      owner,
      [settings = ReadIncomingSettings(common), mailBox = common.Text(kMailBox), copies, outcome,
       counts, fetch](BackgroundTask::Context&) {
        if (fetch) {
          *outcome = FetchOutcome(FetchMatchedReplies(settings, mailBox, *copies,
                                                      HeldNoticeCollector(mailBox, *copies)));
        }
        for (const SentResult& result : CollectResults(mailBox, *copies))
          counts->failed += result.outcome.state == CommandState::Failed ? 1 : 0;
        std::string why;  // a store that can't be opened has nothing held to count
        if (const std::optional<HeldStore> held = HeldStore::Open(mailBox, why))
          counts->held = static_cast<int>(PendingHeldCount(*held, *copies));
      },
      [outcome, counts, done = std::move(done)] { done(*outcome, *counts); });
}

CSentMailsDlg::CSentMailsDlg(const SettingsStore& store, const MailingListRegister& lists,
                             QWidget* parent)
    : QDialog(parent), store_(store), lists_(lists) {
  setWindowTitle(QStringLiteral("送信済みﾒｰﾙ"));
  table_ = Table({QStringLiteral("送信日時"), QStringLiteral("ML"), QStringLiteral("ｺﾏﾝﾄﾞ"),
                  QStringLiteral("ﾌｧｲﾙ名"), QStringLiteral("状態"), QStringLiteral("ｻｰﾊﾞｰの応答")},
                 "sentMails");
  table_->setToolTip(
      QStringLiteral("行を選んで ﾒﾝﾊﾞｰ を押すと、そのMLの最新のﾒﾝﾊﾞｰ一覧を表示します"));
  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("fetchStatus"));
  fetchButton_ = new QPushButton(QStringLiteral("受信(&R)"));
  fetchButton_->setObjectName(QStringLiteral("fetch"));
  auto* rosterButton = new QPushButton(QStringLiteral("ﾒﾝﾊﾞｰ(&M)"));
  rosterButton->setObjectName(QStringLiteral("roster"));
  QDialogButtonBox* close = CloseButtons(this);
  connect(fetchButton_, &QPushButton::clicked, this, &CSentMailsDlg::Fetch);
  connect(rosterButton, &QPushButton::clicked, this, &CSentMailsDlg::ShowRoster);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fetchButton_);
  buttons->addWidget(rosterButton);
  buttons->addWidget(status_, 1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(760, 420);
  Reload();
}

void CSentMailsDlg::Reload() {
  results_ = CollectResults(ReadMailBox(store_), lists_);
  table_->setSortingEnabled(false);
  table_->setRowCount(static_cast<int>(results_.size()));
  int failed = 0;
  for (int row = 0; row < static_cast<int>(results_.size()); ++row) {
    const SentResult& result = results_[static_cast<std::size_t>(row)];
    QString words;
    for (const std::string& line : result.outcome.failures)
      words += (words.isEmpty() ? QString() : QStringLiteral("\n")) + Utf8(line);
    const QString cells[] = {Time(result.sent),
                             FromCp932(result.list->Title),
                             QString::fromStdString(CommandTitleText(result.mail.title)),
                             FromCp932(result.fileName),
                             Utf8(std::string(StateText(result.outcome.state))),
                             words};
    for (int column = 0; column < 6; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setData(Qt::UserRole, row);
      item->setToolTip(cells[column]);
      table_->setItem(row, column, item);
    }
    failed += result.outcome.state == CommandState::Failed ? 1 : 0;
  }
  table_->setSortingEnabled(true);
  table_->sortItems(0, Qt::DescendingOrder);
  table_->resizeColumnsToContents();
  setWindowTitle(QStringLiteral("送信済みﾒｰﾙ (%1通、失敗 %2通)").arg(results_.size()).arg(failed));
}

void CSentMailsDlg::Fetch() {
  if (fetch_ != nullptr) return;
  fetchButton_->setEnabled(false);
  status_->setText(QStringLiteral("受信中..."));
  fetch_ = StartResultsWork(
      store_, lists_, true, this,
      [this](const QString& outcome, const ResultCounts&) { FetchEnded(outcome); });
}

void CSentMailsDlg::FetchEnded(const QString& outcome) {
  fetch_ = nullptr;
  fetchButton_->setEnabled(true);
  status_->setText(outcome);
  Reload();
}

void CSentMailsDlg::ShowRoster() {
  const QList<QTableWidgetItem*> selected = table_->selectedItems();
  if (selected.isEmpty()) {
    ShowMessage(this, kProgramCaption, QStringLiteral("MLの送信済みﾒｰﾙを選んでください"));
    return;
  }
  const SentResult& result =
      results_[static_cast<std::size_t>(selected.first()->data(Qt::UserRole).toInt())];
  const std::optional<Roster> current = LatestRoster(results_, *result.list);
  if (!current) {
    ShowMessage(this, kProgramCaption,
                QStringLiteral(
                    "ﾒﾝﾊﾞｰﾘｽﾄがまだありません。ﾒﾝﾊﾞｰﾘｽﾄ取得のﾒｰﾙを送信し、返信を受信してください"));
    return;
  }
  CRosterDlg dialog(*current, Rosters(results_, *result.list), FromCp932(result.list->Title), this);
  dialog.OfferSync(store_, lists_, *result.list);
  ExecModal(dialog);
}

CRosterDlg::CRosterDlg(const Roster& current, const std::vector<Roster>& fetched,
                       const QString& listTitle, QWidget* parent)
    : QDialog(parent), roster_(current) {
  setWindowTitle(QStringLiteral("ﾒﾝﾊﾞｰ - %1").arg(listTitle));
  auto* summary = new QLabel(
      QStringLiteral("%1 現在 %2人").arg(Time(roster_.date)).arg(roster_.members.size()));
  summary->setObjectName(QStringLiteral("summary"));
  auto* changes = new QLabel;
  changes->setObjectName(QStringLiteral("changes"));
  changes->setWordWrap(true);
  if (fetched.size() > 1) {
    const RosterChange change = CompareRosters(fetched[1], fetched[0]);
    QStringList lines;
    for (const std::string& address : change.added)
      lines << QStringLiteral("+ ") + Utf8(address);
    for (const std::string& address : change.removed)
      lines << QStringLiteral("- ") + Utf8(address);
    changes->setText(
        QStringLiteral("前回 (%1) からの変化: %2")
            .arg(Time(fetched[1].date))
            .arg(lines.isEmpty() ? QStringLiteral("なし") : lines.join(QStringLiteral("  "))));
  }
  auto* filter = new QLineEdit;
  filter->setObjectName(QStringLiteral("filter"));
  filter->setPlaceholderText(QStringLiteral("絞り込み"));
  filter->setToolTip(QStringLiteral("入力した文字を含むｱﾄﾞﾚｽだけを表示します"));
  table_ = Table({QStringLiteral("ｱﾄﾞﾚｽ")}, "members");
  table_->setToolTip(QStringLiteral("MLのﾒﾝﾊﾞｰ。見出しをｸﾘｯｸすると並べ替えます"));
  table_->setRowCount(static_cast<int>(roster_.members.size()));
  for (int row = 0; row < table_->rowCount(); ++row)
    table_->setItem(row, 0,
                    new QTableWidgetItem(Utf8(roster_.members[static_cast<std::size_t>(row)])));
  auto* exportButton = new QPushButton(QStringLiteral("CSVに保存(&S)..."));
  exportButton->setObjectName(QStringLiteral("export"));
  syncButton_ = NamedButton(QStringLiteral("同期(&Y)..."), "sync");
  syncButton_->setToolTip(QStringLiteral("ﾒﾝﾊﾞｰをﾌｧｲﾙ (1行に1ｱﾄﾞﾚｽ、またはCSV) のとおりにします"));
  syncButton_->hide();
  QDialogButtonBox* close = CloseButtons(this);
  connect(filter, &QLineEdit::textChanged, this, &CRosterDlg::Filter);
  connect(exportButton, &QPushButton::clicked, this, &CRosterDlg::Export);
  connect(syncButton_, &QPushButton::clicked, this, &CRosterDlg::Sync);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(exportButton);
  buttons->addWidget(syncButton_);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary);
  layout->addWidget(changes);
  layout->addWidget(filter);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(480, 520);
}

void CRosterDlg::OfferSync(const SettingsStore& store, const MailingListRegister& lists,
                           const MailingList& list) {
  store_ = &store;
  lists_ = &lists;
  list_ = &list;
  syncButton_->show();
}

void CRosterDlg::Sync() {
  const QString path = AskOpenFileName(this, kAddressFileFilter);
  if (path.isEmpty() || list_ == nullptr) return;
  CRosterSyncDlg dialog(*store_, *lists_, *list_, roster_, this);
  dialog.ReadFile(path);
  ExecModal(dialog);
}

void CRosterDlg::Filter(const QString& text) {
  for (int row = 0; row < table_->rowCount(); ++row)
    table_->setRowHidden(row, !table_->item(row, 0)->text().contains(text, Qt::CaseInsensitive));
}

void CRosterDlg::Export() {
  QFileDialog chooser(this, QStringLiteral("CSVに保存"));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setNameFilters({QStringLiteral("CSV (*.csv)")});
  chooser.setDefaultSuffix(QStringLiteral("csv"));
  if (ExecFileDialog(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  const std::string csv = RosterCsv(roster_);
  QFile file(chooser.selectedFiles().first());
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size())) {
    ShowMessage(this, kProgramCaption, QStringLiteral("ﾌｧｲﾙに保存できませんでした"));
  }
}

}  // namespace tarnwick
