#include "ui/members/member_search_dlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "core/members/member_removal.h"
#include "core/store/common_settings.h"
#include "ui/platform/background_task.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"
#include "ui/results/member_mails_flow.h"

namespace tarnwick {

// What a search read and found, on its own copy of the register: the rows point into it.
struct CMemberSearchDlg::Found {
  MailingListRegister lists;
  MemberSearch search;
};

namespace {

QTableWidget* HitTable() {
  auto* table = new QTableWidget(0, 3);
  table->setObjectName(QStringLiteral("hits"));
  table->setToolTip(QStringLiteral(
      "ﾀﾞﾌﾞﾙｸﾘｯｸでそのMLを選びます。選んだ行のｱﾄﾞﾚｽは 選択したﾒﾝﾊﾞｰを削除 で退会させます"));
  table->setHorizontalHeaderLabels(
      {QStringLiteral("ﾘｽﾄ"), QStringLiteral("ｱﾄﾞﾚｽ"), QStringLiteral("名簿の日付")});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

std::vector<AddressPattern> Patterns(const QString& text) {
  std::vector<AddressPattern> patterns;
  for (const QString& word :
       text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
    patterns.emplace_back(word.toStdString());
  }
  return patterns;
}

// The selected rows' addresses, list by list in the register's order.
std::vector<ListRemoval> Chosen(const MailingListRegister& lists,
                                const std::vector<MemberHit>& hits, const QList<int>& rows) {
  std::map<const MailingList*, std::vector<std::string>> byList;
  for (const int row : rows)
    byList[hits[static_cast<std::size_t>(row)].list].push_back(
        hits[static_cast<std::size_t>(row)].address);
  std::vector<ListRemoval> chosen;
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const auto found = byList.find(&lists.at(i));
    if (found != byList.end()) chosen.push_back({found->first, found->second, false});
  }
  return chosen;
}

// The unsubscribes of the chosen rows, composed before any is queued.
struct Removals {
  std::vector<std::pair<const MailingList*, MemberMails>> mails;
  QStringList kept;  // the fml administrators left on their lists
  Refusal refusal;
  int count() const {
    int count = 0;
    for (const auto& [list, composed] : mails)
      count += static_cast<int>(composed.mails.size());
    return count;
  }
};

// Each list's rows planned on that list alone: a row chosen on one list removes the address from
// that list only.
Removals ComposeRemovals(const std::vector<ListRemoval>& chosen) {
  Removals removals;
  for (const ListRemoval& rows : chosen) {
    // The rows were found on the list's roster: they are what it holds of them.
    RemovalPlanner planner(rows.addresses, false);
    const RosterView view{{rows.addresses.begin(), rows.addresses.end()}, 0};
    planner.Plan(*rows.list, &view);
    const RemovalPlan plan = std::move(planner).Take();
    if (plan.refusal) return {{}, {}, plan.refusal};
    for (const MailingList* list : plan.adminKept)
      removals.kept << AdminKeptNote(*list);
    for (const ListRemoval& removal : plan.removals) {
      MemberMails mails = ComposeListMails(*removal.list, ID_UNSUBSCRIBE_PLATE, removal.addresses);
      if (mails.refusal) return {{}, {}, mails.refusal};
      removals.mails.emplace_back(removal.list, std::move(mails));
    }
  }
  return removals;
}

}  // namespace

CMemberSearchDlg::CMemberSearchDlg(const SettingsStore& store, const MailingListRegister& lists,
                                   QWidget* parent)
    : QDialog(parent),
      store_(store),
      lists_(lists),
      patterns_(NamedEdit("patterns")),
      searchButton_(NamedButton(QStringLiteral("検索(&S)"), "search")),
      removeButton_(NamedButton(QStringLiteral("選択したﾒﾝﾊﾞｰを削除"), "remove")),
      table_(HitTable()),
      unsearched_(NamedLabel(QString(), "unsearched")),
      status_(NamedLabel(QString(), "status")) {
  setWindowTitle(QStringLiteral("ﾒﾝﾊﾞｰ検索"));
  patterns_->setPlaceholderText(QStringLiteral("tanaka@example.jp *@example.co.jp"));
  patterns_->setToolTip(QStringLiteral("ｱﾄﾞﾚｽ、または * を含むﾊﾟﾀｰﾝ。複数は空白で区切ります"));
  unsearched_->setWordWrap(true);
  status_->setWordWrap(true);
  removeButton_->setEnabled(false);
  searchButton_->setDefault(true);
  connect(searchButton_, &QPushButton::clicked, this, &CMemberSearchDlg::Search);
  connect(patterns_, &QLineEdit::returnPressed, this, &CMemberSearchDlg::Search);
  connect(removeButton_, &QPushButton::clicked, this, &CMemberSearchDlg::RemoveSelected);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &CMemberSearchDlg::ChooseRow);
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
    removeButton_->setEnabled(!searching_ && !table_->selectionModel()->selectedRows().isEmpty());
  });
  QDialogButtonBox* close = CloseButtons(this);
  auto* search = new QHBoxLayout;
  search->addWidget(new QLabel(QStringLiteral("ｱﾄﾞﾚｽ")));
  search->addWidget(patterns_, 1);
  search->addWidget(searchButton_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(removeButton_);
  buttons->addWidget(status_, 1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(search);
  layout->addWidget(table_, 1);
  layout->addWidget(unsearched_);
  layout->addLayout(buttons);
  resize(640, 440);
}

CMemberSearchDlg::~CMemberSearchDlg() = default;

void CMemberSearchDlg::Search() {
  std::vector<AddressPattern> patterns = Patterns(patterns_->text());
  if (searching_ || patterns.empty()) return;
  searching_ = true;
  searchButton_->setEnabled(false);
  removeButton_->setEnabled(false);
  status_->setText(QStringLiteral("名簿を読んでいます..."));
  auto found = std::make_shared<Found>();
  found->lists = lists_.Copy();
  BackgroundTask::Start(
      this,
      [found, patterns = std::move(patterns),
       mailBox = ReadMailBox(store_)](BackgroundTask::Context&) {
        found->search = SearchMembers(mailBox, found->lists, patterns);
      },
      [this, found] {
        found_ = found;
        searching_ = false;
        searchButton_->setEnabled(true);
        ShowFound();
      });
}

void CMemberSearchDlg::ShowFound() {
  table_->clearContents();
  table_->setRowCount(static_cast<int>(found_->search.hits.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const MemberHit& hit = found_->search.hits[static_cast<std::size_t>(row)];
    const QString cells[] = {
        FromCp932(hit.list->Title), FromCp932(hit.address),
        QDateTime::fromSecsSinceEpoch(hit.rosterDate).toString(QStringLiteral("yyyy/MM/dd HH:mm"))};
    for (int column = 0; column < 3; ++column)
      table_->setItem(row, column, new QTableWidgetItem(cells[column]));
  }
  table_->resizeColumnsToContents();
  QStringList titles;
  for (const MailingList* list : found_->search.withoutRoster)
    titles << FromCp932(list->Title);
  unsearched_->setText(titles.isEmpty() ? QString()
                                        : QStringLiteral("名簿のないML (検索していません): %1")
                                              .arg(titles.join(QStringLiteral("、"))));
  unsearched_->setVisible(!titles.isEmpty());
  status_->setText(found_->search.hits.empty()
                       ? QStringLiteral("見つかりませんでした")
                       : QStringLiteral("%1件").arg(found_->search.hits.size()));
}

void CMemberSearchDlg::ChooseRow(int row) {
  if (found_ == nullptr || row < 0 || row >= static_cast<int>(found_->search.hits.size())) return;
  emit listChosen(FromCp932(found_->search.hits[static_cast<std::size_t>(row)].list->Title));
  accept();
}

void CMemberSearchDlg::RemoveSelected() {
  if (found_ == nullptr || searching_) return;
  QList<int> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows << index.row();
  Removals removals = ComposeRemovals(Chosen(found_->lists, found_->search.hits, rows));
  if (removals.refusal)
    return ShowMessage(this, kProgramCaption, QString::fromStdString(*removals.refusal));
  const QString kept = removals.kept.join(u'\n');
  if (removals.mails.empty()) {
    return ShowMessage(this, kProgramCaption, QStringLiteral("削除するﾒﾝﾊﾞｰがありません\n") + kept);
  }
  const QString question = QStringLiteral("%1件のMLに、削除のﾒｰﾙを%2通作成します。よろしいですか?")
                               .arg(removals.mails.size())
                               .arg(removals.count());
  if (!AskOkCancel(this, kProgramCaption,
                   kept.isEmpty() ? question : question + QStringLiteral("\n\n") + kept)) {
    return;
  }
  int queued = 0;
  Refusal failure;
  for (auto& [list, mails] : removals.mails) {
    failure = QueueMemberMails(ReadMailBox(store_), found_->lists, *list, mails);
    for (const MemberMail& mail : mails.mails)
      queued += mail.path.empty() ? 0 : 1;
    if (failure) break;
  }
  if (queued != 0) emit mailsQueued();
  status_->setText(QStringLiteral("削除のﾒｰﾙを%1通作成しました").arg(queued));
  if (failure) ShowMessage(this, kProgramCaption, QString::fromStdString(*failure));
}

}  // namespace tarnwick
