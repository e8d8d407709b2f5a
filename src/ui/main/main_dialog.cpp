#include "ui/main/main_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>

#include "core/compose/list_folders.h"
#include "core/compose/queue_folder.h"
#include "core/store/common_settings.h"
#include "core/store/mail_box.h"
#include "ui/compose/address_list_plate.h"
#include "ui/compose/created_mail_dlg.h"
#include "ui/compose/plate_factory.h"
#include "ui/compose/queue_watcher.h"
#include "ui/main/command_tree.h"
#include "ui/main/list_details.h"
#include "ui/main/list_icons.h"
#include "ui/main/mail_box_change.h"
#include "ui/main/mail_creation.h"
#include "ui/main/plate_frame.h"
#include "ui/main/register_actions.h"
#include "ui/main/register_model.h"
#include "ui/main/send_controls.h"
#include "ui/main/windows_import_flow.h"
#include "ui/moderation/held_mails_dlg.h"
#include "ui/platform/background_task.h"
#include "ui/platform/file_dialogs.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"
#include "ui/platform/screen_fit.h"
#include "ui/platform/tab_order.h"
#include "ui/platform/window_messages.h"
#include "ui/results/bounce_review_dlg.h"
#include "ui/results/sent_mails_dlg.h"
#include "ui/settings/common_settings_dlg.h"
#include "ui/settings/first_start_dlg.h"

namespace tarnwick {
CMainDialog::CMainDialog(SettingsStore store, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), store_(std::move(store)), treeKind_(ServerKind::None) {
  setWindowTitle(kProgramCaption);
  setWindowIcon(ProgramIcon());
  RememberFoldersIn(store_);
  queue_.SetMailBox(ReadMailBox(store_));
  PrepareMailBox(queue_.mailBox());
  std::optional<std::string> loaded = store_.ChangeStamp();
  MailingListRegister lists = LoadRegister(store_);
  CountQueuedMails(queue_.mailBox(), lists);
  model_ = new RegisterModel(std::move(lists), this);
  actions_ = new RegisterActions(this, store_, *model_, std::move(loaded));
  queue_.Observe([this] { CountQueued(); });
  // A run's own removals are counted as it reports them, and all again at its end.
  watcher_ = new QueueWatcher(this);
  connect(watcher_, &QueueWatcher::changed, this, [this] {
    if (!Sending()) CountQueued();
  });

  auto* central = new QWidget;
  auto* columns = new QHBoxLayout(central);
  columns->addWidget(BuildListColumn(), 2);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildDetailsColumn());
  right->addWidget(BuildPlateColumn(), 1);
  columns->addLayout(right, 3);
  setCentralWidget(central);
  statusBar();  // there from the start: the first message moves nothing above it
  BuildMenus();
  OpenOnScreen();

  RecountQueued();
  Select(0);
  ShowListInfo();
  ApplyStartRequest(arguments);
  actions_->MovePasswordsToTheKeyring();
  // After the window is up: the replies fetched first when the settings ask for it.
  const CommonSettings common = CommonSettings::Load(store_);
  const bool fetch = common.Number(kIncomingOnStart) != 0 && !common.Text(kIncomingServer).empty();
  QTimer::singleShot(0, this, [this, fetch] { RefreshResults(fetch); });
  if (IsFirstStart(store_, model_->lists().size()))
    QTimer::singleShot(0, this, &CMainDialog::OpenFirstStartGuide);
}

CMainDialog::~CMainDialog() {
  // A run is stopped and waited for as the controls go. A count ends at once; a fetch still waiting
  // on its server is left to the end of the program.
  if (resultsWork_ != nullptr) resultsWork_->Wait(2000);
  DestroyPlate();
}

QWidget* CMainDialog::BuildListColumn() {
  registerView_ = new QListView;
  registerView_->setObjectName(QStringLiteral("registerView"));
  registerView_->setToolTip(
      QStringLiteral("登録したML。ﾀﾞﾌﾞﾙｸﾘｯｸで詳細を編集し、F2 でﾀｲﾄﾙを変えられます"));
  registerView_->setModel(model_);
  registerView_->setSelectionMode(QAbstractItemView::SingleSelection);
  registerView_->setUniformItemSizes(true);  // tens of thousands of lists lay out at once
  registerView_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::SelectedClicked);
  connect(registerView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CMainDialog::OnSelectionChanged);
  connect(registerView_, &QListView::doubleClicked, this, &CMainDialog::EditList);
  // A title wider than the column ends in "…", and shows whole as its tooltip.
  registerView_->setItemDelegate(new FitToViewDelegate(registerView_));
  registerView_->setResizeMode(QListView::Adjust);
  registerView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  registerFilter_ = NamedEdit("registerFilter");
  registerFilter_->setPlaceholderText(QStringLiteral("絞り込み"));
  registerFilter_->setToolTip(QStringLiteral("入力した文字をﾀｲﾄﾙに含むMLだけを一覧に出します"));
  registerFilter_->setClearButtonEnabled(true);
  connect(registerFilter_, &QLineEdit::textChanged, this, &CMainDialog::ApplyFilter);
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(model_, signal, this, &CMainDialog::ApplyFilter);
  connect(model_, &QAbstractItemModel::modelReset, this, &CMainDialog::ApplyFilter);
  connect(model_, &QAbstractItemModel::dataChanged, this, &CMainDialog::ApplyFilter);

  commandTree_ = new QTreeWidget;
  commandTree_->setObjectName(QStringLiteral("commandTree"));
  commandTree_->setToolTip(QStringLiteral("選んだ操作の入力欄を出します"));
  commandTree_->setHeaderHidden(true);
  connect(commandTree_, &QTreeWidget::currentItemChanged, this, &CMainDialog::OnTreeSelection);
  connect(commandTree_, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { expandedCategories_.insert(item->text(0)); });
  connect(commandTree_, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* item) { expandedCategories_.remove(item->text(0)); });

  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("登録ＭＬリスト")));
  layout->addWidget(registerFilter_);
  layout->addWidget(registerView_, 2);
  layout->addWidget(new QLabel(QStringLiteral("操作一覧")));
  layout->addWidget(commandTree_, 3);
  return column;
}

QWidget* CMainDialog::BuildDetailsColumn() {
  details_ = new ListDetails;
  connect(details_->addButton(), &QPushButton::clicked, this, &CMainDialog::AddList);
  connect(details_->editButton(), &QPushButton::clicked, this, &CMainDialog::EditList);
  connect(details_->deleteButton(), &QPushButton::clicked, this, &CMainDialog::DeleteList);
  return details_;
}

QWidget* CMainDialog::BuildPlateColumn() {
  plateFrame_ = new PlateFrame;
  controls_ = new SendControls;
  connect(controls_->createButton(), &QPushButton::clicked, this, &CMainDialog::QueueCommandMail);
  connect(controls_->createdButton(), &QPushButton::clicked, this, &CMainDialog::OpenCreatedMails);
  connect(controls_->sendButton(), &QPushButton::clicked, this, &CMainDialog::StartSending);
  connect(controls_, &SendControls::finished, this, &CMainDialog::OnSendRunFinished);
  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plateFrame_, 1);
  layout->addWidget(controls_);
  return column;
}

// Shows the lists whose title holds the filter text, in any case; the selection stays as it is.
void CMainDialog::ApplyFilter() {
  const QString text = registerFilter_->text().trimmed();
  for (int row = 0; row < model_->rowCount(); ++row) {
    const QString title = model_->index(row).data().toString();
    registerView_->setRowHidden(row, !title.contains(text, Qt::CaseInsensitive));
  }
}

// Its usual size where the screen has room for it, and within the screen's free area where it
// hasn't (a small screen, or a large one scaled up).
void CMainDialog::OpenOnScreen() {
  resize(760, 560);
  FitToScreen(*this);
}

MailingList* CMainDialog::SelectedList() {
  return selected_ >= 0 ? &model_->at(selected_) : nullptr;
}

CPlate* CMainDialog::CurrentPlate() {
  return plateFrame_->plate();
}

bool CMainDialog::Sending() const {
  return controls_->sending();
}

void CMainDialog::Select(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  registerView_->selectionModel()->setCurrentIndex(model_->index(row),
                                                   QItemSelectionModel::ClearAndSelect);
}

void CMainDialog::OnSelectionChanged() {
  const QModelIndexList rows = registerView_->selectionModel()->selectedRows();
  selected_ = rows.isEmpty() ? -1 : rows.first().row();
  DestroyPlate();
  ShowListInfo();
}

void CMainDialog::ShowListInfo() {
  details_->Show(SelectedList(), Sending());
  ShowSelectedCount();
  BuildCommandTree();
  UpdateActions();
}

void CMainDialog::BuildCommandTree() {
  // Without a list the tree empties: no command may be chosen for a record that is gone.
  const ServerKind kind = SelectedList() ? SelectedList()->Type : ServerKind::None;
  if (kind == treeKind_) return;
  const QSignalBlocker quiet(commandTree_);
  FillCommandTree(*commandTree_, kind, expandedCategories_);
  treeKind_ = kind;
}

void CMainDialog::OnTreeSelection() {
  QTreeWidgetItem* item = commandTree_->currentItem();
  const int command = item != nullptr ? CommandOf(*item) : 0;
  if (command == 0) {
    DestroyPlate();
    return;
  }
  // Posted, so the plate is made after the tree has finished handling the selection.
  QMetaObject::invokeMethod(
      this, [this, command] { OnPlateCommand(static_cast<CommandId>(command)); },
      Qt::QueuedConnection);
  controls_->createButton()->setEnabled(true);
}

void CMainDialog::OnPlateCommand(CommandId command) {
  const CommandInfo* info = FindCommand(command);
  setAcceptDrops(info != nullptr && info->addressList);
  std::unique_ptr<CPlate> plate = MakePlate(command);
  if (plate == nullptr) return DestroyPlate();
  plateFrame_->Destroy();
  plate->list = SelectedList();
  plate->reviewReturnedMails = [this](const QStringList& mailboxes) {
    return ReviewReturnedMails(store_, model_->lists(), SelectedList(), mailboxes, CurrentPlate());
  };
  plateFrame_->Show(std::move(plate));
  TabThroughBefore(*plateFrame_, *controls_);  // the command's own fields before 作成 and 送信
  UpdateActions();
}

// The plate goes with its command, and 作成 with it.
void CMainDialog::DestroyPlate() {
  plateFrame_->Destroy();
  controls_->createButton()->setEnabled(false);
  UpdateActions();
}

void CMainDialog::ShowSelectedCount() {
  const MailingList* list = SelectedList();
  controls_->ShowSelected(list != nullptr ? list->MailCount : -1);
}

void CMainDialog::CountQueued() {
  CountQueuedMails(queue_.mailBox(), model_->lists());
  RecountQueued();
}

void CMainDialog::RecountQueued() {
  totalQueued_ = 0;
  for (std::size_t i = 0; i < model_->lists().size(); ++i) {
    totalQueued_ += model_->lists().at(i).MailCount;
  }
  model_->RefreshAll();  // the icons follow the counts
  controls_->SetTotal(totalQueued_);
  ShowSelectedCount();
  watcher_->Watch(queue_.mailBox(), model_->lists());  // folders made since are watched too
  UpdateActions();
}

void CMainDialog::QueueCommandMail() {
  MailingList* list = SelectedList();
  if (CurrentPlate() == nullptr || list == nullptr) return;
  bool queued = false;
  statusBar()->showMessage(tarnwick::QueueCommandMail(this, *CurrentPlate(), queue_,
                                                      FoldersOf(model_->lists(), *list), queued));
  if (queued) plateFrame_->entered().Composed(*CurrentPlate());
}

void CMainDialog::OpenCreatedMails() {
  MailingList* list = SelectedList();
  if (list == nullptr) return;
  CCreatedMailDlg dialog(*list, FoldersOf(model_->lists(), *list), queue_, this);
  ExecModal(dialog);
}

void CMainDialog::StartSending() {
  if (Sending() || totalQueued_ == 0) return;  // F5 comes without a look at the button
  if (controls_->Start(store_, queue_, model_->lists())) details_->SetSending(true);
  UpdateActions();
}

void CMainDialog::ImportWindowsSettings() {
  if (Sending()) return;
  tarnwick::ImportWindowsSettings(this, store_, [this] {
    queue_.SetMailBox(ReadMailBox(store_));
    ReloadListsChangedElsewhere();
  });
}

void CMainDialog::OpenHeldMails() {
  CHeldMailsDlg dialog(store_, model_->lists(), this, [this] {
    CountQueued();
    ShowListInfo();
  });
  ExecModal(dialog);
  RefreshResults(false);
}

void CMainDialog::ReviewBounces() {
  if (SelectedList() == nullptr) return;
  if (QTreeWidgetItem* item = FindCommandItem(*commandTree_, ID_UNSUBSCRIBE_PLATE))
    commandTree_->setCurrentItem(item);
  // Posted behind the plate's command, so it reaches the plate once the plate exists.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (auto* plate = dynamic_cast<CAddressListPlate*>(CurrentPlate());
            plate != nullptr && plate->command() == ID_UNSUBSCRIBE_PLATE) {
          plate->ReviewBounces({});
        }
      },
      Qt::QueuedConnection);
}

void CMainDialog::RefreshResults(bool fetch) {
  if (resultsWork_ != nullptr) return;
  resultsWork_ = StartResultsWork(store_, model_->lists(), fetch, this,
                                  [this](const QString& outcome, const ResultCounts& counts) {
                                    resultsWork_ = nullptr;
                                    controls_->ShowFailed(counts.failed);
                                    controls_->ShowHeld(counts.held);
                                    if (!outcome.isEmpty()) statusBar()->showMessage(outcome);
                                  });
}

void CMainDialog::OnSendRunFinished(const QString& report) {
  CountQueued();  // the delivered files are gone
  RefreshResults(false);
  ShowListInfo();
  const QString outcome = controls_->Outcome();
  statusBar()->showMessage(QString(outcome).replace('\n', QStringLiteral("  ")));
  // The window closing stopped the run, and goes now.
  if (closeWhenSent_) {
    close();
    return;
  }
  // Whatever did not go out is said, so nobody takes a queued mail for a sent one.
  if (report.isEmpty()) {
    ShowReport(this, kProgramCaption, QStringLiteral("送信しました。\n") + outcome);
  } else {
    ShowMessage(
        this, kProgramCaption,
        QStringLiteral("送信できなかったﾒｰﾙがあります。\n") + outcome + "\n\n" + report.trimmed());
  }
}

void CMainDialog::EditCommonSettings() {
  if (Sending()) return;
  CCommonSettingsDlg dialog(store_, this);
  if (ExecModal(dialog) == QDialog::Accepted) UseMailBox(dialog.mailBox());
}

void CMainDialog::OpenFirstStartGuide() {
  if (Sending()) return;
  CFirstStartDlg dialog(store_, this);
  if (ExecModal(dialog) == QDialog::Accepted) UseMailBox(dialog.mailBox());
}

void CMainDialog::UseMailBox(const std::string& mailBox) {
  OfferQueueMove(this, queue_.mailBox(), mailBox, model_->lists());
  queue_.SetMailBox(mailBox);
  PrepareMailBox(mailBox);
  CountQueued();
}

void CMainDialog::AddList() {
  const std::optional<int> row = actions_->Add();
  if (!row) return;
  Select(*row);
  OnSelectionChanged();
  CountQueued();  // a list that shares a name moves the others' new mails to folders of their own
  actions_->Save();
}

void CMainDialog::EditList() {
  if (selected_ < 0) return;
  const std::optional<bool> otherKind = actions_->Edit(selected_);
  if (!otherKind) return;
  if (*otherKind) DestroyPlate();  // a plate composes for one server kind
  ShowListInfo();
  CountQueued();  // a new name or server names other folders
  actions_->Save();
}

void CMainDialog::DeleteList() {
  const int row = selected_;
  if (row < 0 || Sending()) return;
  // Its queued mails go with it or the list stays: none is left behind that no list would send.
  const std::vector<std::filesystem::path> mails =
      ListMailFiles(queue_.mailBox(), FoldersOf(model_->lists(), model_->at(row)));
  if (!actions_->AgreesToDelete(row, mails.size())) return;
  for (const std::filesystem::path& mail : mails) {
    if (const int error = queue_.Remove(mail); error != 0) {
      ShowMessage(this, kProgramCaption,
                  QStringLiteral("作成済ﾒｰﾙを削除できなかったため、ﾘｽﾄを残しました\n%1")
                      .arg(QString::fromLocal8Bit(std::strerror(error))));
      return;
    }
  }
  DestroyPlate();
  plateFrame_->entered().Forget(model_->at(row).Title);
  model_->Remove(row);
  // The neighbour takes the place of the removed list, so nothing refers to the freed record.
  Select(std::min(row, model_->rowCount() - 1));
  OnSelectionChanged();
  CountQueued();
  actions_->Save();
}

// Lists added or changed by tarnwick-cli while the window was in the background show when it is
// activated again. Not during a send, whose run refers to the records it was given.
void CMainDialog::ReloadListsChangedElsewhere() {
  if (Sending()) return;
  std::optional<MailingListRegister> stored = actions_->ChangedElsewhere(queue_.mailBox());
  if (!stored) return;
  const MailingList* list = SelectedList();
  const std::string title = list != nullptr ? list->Title : std::string();
  DestroyPlate();
  model_->Replace(std::move(*stored));
  const MailingList* again = model_->lists().FindByTitle(title);
  Select(again != nullptr ? model_->RowOf(*again) : 0);
  OnSelectionChanged();
  RecountQueued();
}

void CMainDialog::closeEvent(QCloseEvent* event) {
  if (Sending()) {
    // The run stops at once (the mail in flight is finished or left queued); the window closes
    // when it has ended.
    closeWhenSent_ = true;
    controls_->Stop();
    statusBar()->showMessage(
        QStringLiteral("送信を中止しています: 送信中のﾒｰﾙが終わるのを待っています (%1)。"
                       "終わり次第ｳｨﾝﾄﾞｳを閉じます")
            .arg(controls_->destination()));
    event->ignore();
    return;
  }
  if (const std::size_t waiting = plateFrame_->entered().Waiting(CurrentPlate()); waiting != 0) {
    if (!AskOkCancel(this, kProgramCaption,
                     QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙを作成していないｱﾄﾞﾚｽが%1件あります。"
                                    "破棄して終了しますか")
                         .arg(waiting))) {
      event->ignore();
      return;
    }
  }
  DestroyPlate();  // a plate gives back its remembered paths, which are saved with the lists
  actions_->Save();
  event->accept();
}

}  // namespace tarnwick
