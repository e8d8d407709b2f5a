#include "ui/main/main_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/compose/queue_folder.h"
#include "core/migrate/reg_file.h"
#include "core/migrate/windows_import.h"
#include "core/platform/file_bytes.h"
#include "core/platform/secret_store.h"
#include "core/store/common_settings.h"
#include "ui/compose/address_list_plate.h"
#include "ui/compose/created_mail_dlg.h"
#include "ui/compose/plate_factory.h"
#include "ui/compose/queue_messages.h"
#include "ui/delivery/send_thread.h"
#include "ui/main/about_box.h"
#include "ui/main/command_tree.h"
#include "ui/main/list_icons.h"
#include "ui/main/register_model.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"
#include "ui/platform/window_messages.h"
#include "ui/results/sent_mails_dlg.h"
#include "ui/settings/common_settings_dlg.h"
#include "ui/store/mail_list_dlg.h"

namespace tarnwick {
namespace {

// Shown, not edited (編集 does that): no frame, no focus by Tab, on the window's own background,
// but its text can still be selected and copied.
QLineEdit* ReadOnlyField(const char* objectName) {
  QLineEdit* field = NamedEdit(objectName);
  field->setReadOnly(true);
  field->setFrame(false);
  field->setFocusPolicy(Qt::ClickFocus);
  field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
  return field;
}

}  // namespace

CMainDialog::CMainDialog(SettingsStore store, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), store_(std::move(store)), treeKind_(ServerKind::None) {
  setWindowTitle(kProgramCaption);
  setWindowIcon(ProgramIcon());
  queue_.SetMailBox(ReadMailBox(store_));
  MailingListRegister lists = LoadRegister(store_);
  CountQueuedMails(queue_.mailBox(), lists);
  model_ = new RegisterModel(std::move(lists), this);
  queue_.Observe([this](const std::string& listName) { CountQueued(&listName); });

  auto* central = new QWidget;
  auto* columns = new QHBoxLayout(central);
  columns->addWidget(BuildListColumn(), 2);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildDetailsColumn());
  right->addWidget(BuildPlateColumn(), 1);
  columns->addLayout(right, 3);
  setCentralWidget(central);
  BuildMenus();
  OpenOnScreen();

  // Queued, so the message comes up after the in-place editor has closed, not inside its commit.
  connect(
      model_, &RegisterModel::titleRefused, this,
      [this](const QString& offending) {
        ShowMessage(this, kProgramCaption, UnrepresentableTextMessage(offending));
      },
      Qt::QueuedConnection);
  connect(model_, &RegisterModel::titleEdited, this, &CMainDialog::SaveLists, Qt::QueuedConnection);
  RecountQueued();
  Select(0);
  ShowListInfo();
  ApplyCommandLine(arguments);
  MovePasswordsToTheKeyring();
  // After the window is up: the replies fetched first when the settings ask for it.
  const CommonSettings common = CommonSettings::Load(store_);
  const bool fetch = common.Number(kIncomingOnStart) != 0 && !common.Text(kIncomingServer).empty();
  QTimer::singleShot(0, this, [this, fetch] { RefreshResults(fetch); });
}

CMainDialog::~CMainDialog() {
  // Closing stops a run and waits for its end; this is for a window destroyed without being
  // closed. The run never waits on the window, so waiting for it needs no events.
  if (sendThread_ != nullptr) {
    sendThread_->Stop();
    sendThread_->wait();
  }
  // A count ends at once; a fetch still waiting on its server is left to the end of the program.
  if (resultsWork_ != nullptr && resultsWork_->wait(QDeadlineTimer(2000))) delete resultsWork_;
  DestroyPlate();
}

QWidget* CMainDialog::BuildListColumn() {
  registerView_ = new QListView;
  registerView_->setObjectName(QStringLiteral("registerView"));
  registerView_->setModel(model_);
  registerView_->setSelectionMode(QAbstractItemView::SingleSelection);
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
  registerFilter_->setClearButtonEnabled(true);
  connect(registerFilter_, &QLineEdit::textChanged, this, &CMainDialog::ApplyFilter);
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(model_, signal, this, &CMainDialog::ApplyFilter);
  connect(model_, &QAbstractItemModel::modelReset, this, &CMainDialog::ApplyFilter);
  connect(model_, &QAbstractItemModel::dataChanged, this, &CMainDialog::ApplyFilter);

  commandTree_ = new QTreeWidget;
  commandTree_->setObjectName(QStringLiteral("commandTree"));
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
  nameField_ = ReadOnlyField("nameField");
  kindField_ = ReadOnlyField("kindField");
  addressField_ = ReadOnlyField("addressField");
  adminField_ = ReadOnlyField("adminField");
  auto* details = new QGroupBox(QStringLiteral(" 管理情報 "));
  auto* form = new QFormLayout(details);
  form->addRow(QStringLiteral("ﾘｽﾄ名"), nameField_);
  form->addRow(QStringLiteral("ｻｰﾊﾞｰ種別"), kindField_);
  form->addRow(QStringLiteral("ｻｰﾊﾞｰｱﾄﾞﾚｽ"), addressField_);
  form->addRow(QStringLiteral("管理者ｱﾄﾞﾚｽ"), adminField_);

  QPushButton* addButton = NamedButton(QStringLiteral("追加(&A)"), "addButton");
  editButton_ = NamedButton(QStringLiteral("編集(&E)"), "editButton");
  deleteButton_ = NamedButton(QStringLiteral("削除(&D)"), "deleteButton");
  connect(addButton, &QPushButton::clicked, this, &CMainDialog::AddList);
  connect(editButton_, &QPushButton::clicked, this, &CMainDialog::EditList);
  connect(deleteButton_, &QPushButton::clicked, this, &CMainDialog::DeleteList);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {addButton, editButton_, deleteButton_})
    buttons->addWidget(button);
  form->addRow(buttons);
  return details;
}

QWidget* CMainDialog::BuildPlateColumn() {
  auto* settings = new QGroupBox(QStringLiteral(" 設定 "));
  auto* frame = new QWidget;
  frame->setObjectName(QStringLiteral("plateFrame"));
  plateFrame_ = new QVBoxLayout(frame);
  plateFrame_->setContentsMargins(0, 0, 0, 0);
  // A tall plate scrolls rather than holding the window taller than a small or scaled screen.
  auto* scroll = new QScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setMinimumSize(340, 160);
  scroll->setWidget(frame);
  // Drawn on the group's own background, as the plate was before it could scroll.
  scroll->viewport()->setAutoFillBackground(false);
  frame->setAutoFillBackground(false);
  (new QVBoxLayout(settings))->addWidget(scroll);

  createButton_ = NamedButton(QStringLiteral("作成(&C)"), "createButton");
  createdButton_ = NamedButton(QStringLiteral("編集(&V)"), "createdButton");
  sendButton_ = NamedButton(QStringLiteral("送信(&T)"), "sendButton");
  for (QPushButton* button : {createButton_, createdButton_, sendButton_})
    button->setEnabled(false);
  connect(createButton_, &QPushButton::clicked, this, &CMainDialog::QueueCommandMail);
  connect(createdButton_, &QPushButton::clicked, this, &CMainDialog::OpenCreatedMails);
  connect(sendButton_, &QPushButton::clicked, this, &CMainDialog::StartSending);
  progress_ = new QProgressBar;
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->hide();
  // Shown while a run is under way: the mail in flight is finished or left queued.
  stopButton_ = NamedButton(QStringLiteral("中止"), "stopButton");
  stopButton_->hide();
  // Their room is kept while they are hidden, so the columns don't jump when a run starts.
  for (QWidget* shownWhileSending :
       {static_cast<QWidget*>(progress_), static_cast<QWidget*>(stopButton_)}) {
    QSizePolicy policy = shownWhileSending->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    shownWhileSending->setSizePolicy(policy);
  }
  connect(stopButton_, &QPushButton::clicked, this, &CMainDialog::StopSending);
  countLabel_ = NamedLabel(QStringLiteral("作成済ﾒｰﾙ数"), "countLabel");
  countText_ = NamedLabel(QStringLiteral("0/0"), "countText");
  failedText_ = NamedLabel(QString(), "failedText");
  failedText_->setStyleSheet(QStringLiteral("color: #b00000"));
  failedText_->hide();

  auto* controls = new QHBoxLayout;
  for (QPushButton* button : {createButton_, createdButton_, sendButton_}) {
    controls->addWidget(button);
  }
  controls->addWidget(progress_, 1);
  controls->addWidget(stopButton_);
  controls->addStretch();
  controls->addWidget(countLabel_);
  controls->addWidget(countText_);
  controls->addWidget(failedText_);
  controls->addWidget(new QLabel(QStringLiteral("通")));

  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(settings, 1);
  layout->addLayout(controls);
  return column;
}

void CMainDialog::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  file->addAction(QStringLiteral("Windowsの設定を取り込む(&I)..."), this,
                  &CMainDialog::ImportWindowsSettings);
  file->addAction(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), this, &CMainDialog::close)
      ->setShortcut(QKeySequence::Quit);
  QMenu* settings = menuBar()->addMenu(QStringLiteral("設定(&S)"));
  settings->addAction(QStringLiteral("共通設定(&C)"), this, &CMainDialog::EditCommonSettings);
  QMenu* lists = menuBar()->addMenu(QStringLiteral("ﾒｰﾘﾝｸﾞﾘｽﾄ(&L)"));
  lists->addAction(QStringLiteral("追加(&A)"), this, &CMainDialog::AddList);
  editAction_ = lists->addAction(QStringLiteral("編集(&E)"), this, &CMainDialog::EditList);
  deleteAction_ = lists->addAction(QStringLiteral("削除(&D)"), this, &CMainDialog::DeleteList);
  QMenu* mail = menuBar()->addMenu(QStringLiteral("ﾒｰﾙ(&M)"));
  createAction_ =
      mail->addAction(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙ作成(&C)"), this, &CMainDialog::QueueCommandMail);
  createAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
  createdAction_ =
      mail->addAction(QStringLiteral("作成済ﾒｰﾙ編集(&E)"), this, &CMainDialog::OpenCreatedMails);
  sendAction_ = mail->addAction(QStringLiteral("ﾒｰﾙ送信(&S)"), this, &CMainDialog::StartSending);
  mail->addAction(QStringLiteral("送信済みﾒｰﾙと受信(&R)..."), this, &CMainDialog::OpenSentMails);
  reviewAction_ =
      mail->addAction(QStringLiteral("返送ﾒｰﾙ集計(&B)..."), this, &CMainDialog::ReviewBounces);
  sendAction_->setShortcut(QKeySequence(Qt::Key_F5));
  // Desktops on Linux give a program no system menu: the about box sits where users look for it.
  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  help->addAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Tarnwick) (&A)..."), this,
                  [this] { ShowAboutBox(this); });

  // Items are enabled by the state at the moment their menu opens.
  connect(lists, &QMenu::aboutToShow, this, [this] {
    editAction_->setEnabled(SelectedList() != nullptr);
    deleteAction_->setEnabled(SelectedList() != nullptr && !Sending());
  });
  connect(mail, &QMenu::aboutToShow, this, [this] {
    createAction_->setEnabled(plate_ != nullptr);
    createdAction_->setEnabled(SelectedList() != nullptr && SelectedList()->MailCount != 0);
    sendAction_->setEnabled(totalQueued_ != 0 && !Sending());
    reviewAction_->setEnabled(SelectedList() != nullptr);
  });
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
  QSize size(760, 560);
  if (const QScreen* screen = this->screen()) {
    const QSize frame(16, 48);  // what a window manager typically adds around and above
    size = size.boundedTo(screen->availableGeometry().size() - frame);
  }
  resize(size.expandedTo(minimumSizeHint()));
}

MailingList* CMainDialog::SelectedList() {
  return selected_ >= 0 ? &model_->at(selected_) : nullptr;
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
  createButton_->setEnabled(false);
  ShowListInfo();
}

void CMainDialog::ShowListInfo() {
  const MailingList* list = SelectedList();
  const bool selected = list != nullptr;
  nameField_->setText(selected ? FromCp932(list->Name) : QString());
  kindField_->setText(selected ? FromCp932(ServerKindName(list->Type)) : QString());
  addressField_->setText(selected ? FromCp932(list->Address) : QString());
  adminField_->setText(selected ? FromCp932(list->Admin) : QString());
  editButton_->setEnabled(selected);
  // A run reports its mails against their lists: none may go while it is under way.
  deleteButton_->setEnabled(selected && !Sending());
  ShowSelectedCount();
  BuildCommandTree();
}

void CMainDialog::BuildCommandTree() {
  // Without a list the tree empties: no command may be chosen for a record that is gone.
  const ServerKind kind = SelectedList() ? SelectedList()->Type : ServerKind::None;
  if (kind == treeKind_) return;
  const QSignalBlocker quiet(commandTree_);
  FillCommandTree(*commandTree_, kind);
  for (int i = 0; i < commandTree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* category = commandTree_->topLevelItem(i);
    category->setExpanded(expandedCategories_.contains(category->text(0)));
  }
  treeKind_ = kind;
}

void CMainDialog::OnTreeSelection() {
  QTreeWidgetItem* item = commandTree_->currentItem();
  const int command = item != nullptr ? CommandOf(*item) : 0;
  if (command == 0) {
    DestroyPlate();
    createButton_->setEnabled(false);
    return;
  }
  // Posted, so the plate is made after the tree has finished handling the selection.
  QMetaObject::invokeMethod(
      this, [this, command] { OnPlateCommand(static_cast<CommandId>(command)); },
      Qt::QueuedConnection);
  createButton_->setEnabled(true);
}

void CMainDialog::OnPlateCommand(CommandId command) {
  const CommandInfo* info = FindCommand(command);
  setAcceptDrops(info != nullptr && info->addressList);
  ShowPlate(MakePlate(command));
}

void CMainDialog::ShowPlate(std::unique_ptr<CPlate> plate) {
  DestroyPlate();
  if (plate == nullptr) return;
  plate_ = plate.release();  // the frame owns it from here
  plate_->list = SelectedList();
  plate_->store = &store_;
  plate_->lists = &model_->lists();
  plate_->Create(plateFrame_->parentWidget());
  plateFrame_->addWidget(plate_);
  plate_->show();
}

void CMainDialog::DestroyPlate() {
  if (plate_ == nullptr) return;
  plate_->StoreRememberedPaths();
  delete plate_;  // leaves the frame
  plate_ = nullptr;
}

void CMainDialog::ShowSelectedCount() {
  const MailingList* list = SelectedList();
  createdButton_->setEnabled(list != nullptr && list->MailCount != 0);
  if (Sending()) return;  // the count shows the run's progress meanwhile
  countText_->setText(list != nullptr
                          ? QStringLiteral("%1/%2").arg(list->MailCount).arg(totalQueued_)
                          : QStringLiteral("0/0"));
}

void CMainDialog::CountQueued(const std::string* listName) {
  for (std::size_t i = 0; i < model_->lists().size(); ++i) {
    MailingList& list = model_->lists().at(i);
    if (listName == nullptr || list.Name == *listName) list.MailCount = queue_.Count(list.Name);
  }
  RecountQueued();
  ShowSelectedCount();
}

void CMainDialog::RecountQueued() {
  totalQueued_ = 0;
  for (std::size_t i = 0; i < model_->lists().size(); ++i) {
    totalQueued_ += model_->lists().at(i).MailCount;
  }
  model_->RefreshAll();  // the icons follow the counts
  sendButton_->setEnabled(totalQueued_ != 0 && !Sending());
}

void CMainDialog::ShowCount(int count) {
  countText_->setText(QStringLiteral("%1/%2").arg(count).arg(totalQueued_));
}

void CMainDialog::QueueCommandMail() {
  MailingList* list = SelectedList();
  if (plate_ == nullptr || list == nullptr) return;
  std::string mail;
  const ComposeResult composed = plate_->BuildMail(mail);
  if (composed.status != ComposeStatus::Composed) {
    if (composed.status == ComposeStatus::Refused)
      ShowMessage(this, kProgramCaption, QString::fromStdString(composed.reason));
    // A panel whose input was refused has said why itself.
    statusBar()->showMessage(
        QStringLiteral("作成しませんでした") +
        (composed.reason.empty() || composed.status == ComposeStatus::Refused
             ? QString()
             : QStringLiteral(": ") + QString::fromStdString(composed.reason)));
    return;
  }
  const QueueOutcome outcome = queue_.Add(list->Name, mail);
  if (outcome.status != QueueStatus::Queued) {
    ShowMessage(this, kProgramCaption, QueueFailureMessage(outcome));
    statusBar()->showMessage(QStringLiteral("作成しませんでした"));
    return;
  }
  const std::string file = outcome.path.substr(outcome.path.rfind('/') + 1);
  statusBar()->showMessage(QStringLiteral("「%1」を %2 として作成しました")
                               .arg(FromCp932(MailTitle(mail).value_or("")), FromCp932(file)));
}

void CMainDialog::OpenCreatedMails() {
  MailingList* list = SelectedList();
  if (list == nullptr) return;
  CCreatedMailDlg dialog(*list, queue_, this);
  ExecModal(dialog);
}

void CMainDialog::StartSending() {
  if (Sending() || totalQueued_ == 0) return;  // F5 comes without a look at the button
  const CommonSettings settings = CommonSettings::Load(store_);
  const MailerKind kind = ToMailerKind(settings.Number(kMailer));
  destination_ = kind == MailerKind::DirectSmtp ? QStringLiteral("%1:%2")
                                                      .arg(FromCp932(settings.Text(kSmtpServer)))
                                                      .arg(settings.Number(kSmtpPort))
                                                : FromCp932(settings.Text(kMailerPath));
  LockAttempt lock = DeliveryLock::TryAcquire(queue_.mailBox());
  if (!lock.lock) {
    ShowMessage(this, kProgramCaption,
                lock.busy ? QStringLiteral("別のTarnwickがﾒｰﾙを送信中です")
                          : QString::fromStdString(lock.failure));
    return;
  }
  sentSoFar_ = 0;
  progress_->setRange(0, totalQueued_);
  progress_->setValue(0);
  progress_->show();
  countLabel_->setText(QStringLiteral("送信済ﾒｰﾙ数"));
  ShowCount(0);
  sendThread_ = std::make_unique<CSendThread>(
      store_, kind, CollectQueue(queue_.mailBox(), model_->lists()), std::move(*lock.lock));
  connect(sendThread_.get(), &CSendThread::mailDelivered, this, &CMainDialog::OnMailDelivered);
  connect(sendThread_.get(), &CSendThread::runEnded, this, &CMainDialog::OnRunEnded);
  connect(sendThread_.get(), &QThread::finished, this, &CMainDialog::OnSendThreadFinished);
  sendButton_->setEnabled(false);
  deleteButton_->setEnabled(false);
  stopButton_->setEnabled(true);
  stopButton_->show();
  sendThread_->start();
}

void CMainDialog::MovePasswordsToTheKeyring() {
  if (!secrets::Available()) return;
  const MailingListRegister& lists = model_->lists();
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!lists.at(i).Password.empty() && lists.at(i).PasswordId.empty()) {
      SaveLists();
      break;
    }
  }
  const CommonSettings common = CommonSettings::Load(store_);
  if (common.HoldsPasswordsInTheFile()) common.Save(store_);
}

void CMainDialog::ImportWindowsSettings() {
  if (Sending()) return;
  QFileDialog chooser(this, QStringLiteral("Windowsの設定を取り込む"));
  chooser.setFileMode(QFileDialog::ExistingFile);
  chooser.setNameFilters(
      {QStringLiteral("ﾚｼﾞｽﾄﾘの書き出し (*.reg)"), QStringLiteral("全てのﾌｧｲﾙ (*)")});
  if (ExecModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  const FileBytes file =
      ReadRegularFile(chooser.selectedFiles().first().toStdString(), kMaxRegFileBytes);
  if (file.status != FileBytes::Read) {
    ShowMessage(this, kProgramCaption, QStringLiteral("ﾌｧｲﾙを読めません"));
    return;
  }
  ImportReport report = ImportRegFile(store_, file.bytes, false);
  if (report.failure.empty() && !report.kept.empty() &&
      AskOkCancel(this, kProgramCaption,
                  QStringLiteral("同じ名前のMLが%1件登録されています。取り込むMLで置き換えますか?")
                      .arg(report.kept.size()))) {
    report = ImportRegFile(store_, file.bytes, true);
  }
  queue_.SetMailBox(ReadMailBox(store_));
  ReloadListsChangedElsewhere();
  ShowMessage(this, kProgramCaption, QString::fromStdString(ImportSummary(report)));
}

void CMainDialog::OpenSentMails() {
  CSentMailsDlg dialog(store_, model_->lists(), this);
  ExecModal(dialog);
  RefreshResults(false);
}

void CMainDialog::ReviewBounces() {
  if (SelectedList() == nullptr) return;
  if (QTreeWidgetItem* item = FindCommandItem(*commandTree_, ID_UNSUBSCRIBE_PLATE))
    commandTree_->setCurrentItem(item);
  // Posted behind the panel's command, so it reaches the panel once the panel exists.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (auto* plate = dynamic_cast<CAddressListPlate*>(plate_);
            plate != nullptr && plate->command() == ID_UNSUBSCRIBE_PLATE) {
          plate->ReviewBounces({});
        }
      },
      Qt::QueuedConnection);
}

void CMainDialog::RefreshResults(bool fetch) {
  if (resultsWork_ != nullptr) return;
  resultsWork_ = StartResultsWork(store_, model_->lists(), fetch, this,
                                  [this](const QString& outcome, int failed) {
                                    resultsWork_ = nullptr;
                                    failedText_->setText(QStringLiteral("失敗 %1通").arg(failed));
                                    failedText_->setVisible(failed != 0);
                                    if (!outcome.isEmpty()) statusBar()->showMessage(outcome);
                                  });
}

void CMainDialog::StopSending() {
  if (!Sending()) return;
  sendThread_->Stop();
  stopButton_->setEnabled(false);
}

void CMainDialog::OnSendThreadFinished() {
  const QString report = sendThread_->report();
  sendThread_.reset();
  stopButton_->hide();
  CountQueued(nullptr);  // the delivered files are gone now
  RefreshResults(false);
  ShowListInfo();
  const QString outcome = QStringLiteral("送信先: %1\n送信したﾒｰﾙ: %2通、送信していないﾒｰﾙ: %3通")
                              .arg(destination_)
                              .arg(sentSoFar_)
                              .arg(totalQueued_);
  statusBar()->showMessage(QString(outcome).replace('\n', QStringLiteral("  ")));
  // Whatever did not go out is said, so nobody takes a queued mail for a sent one (unless the
  // window is closing, which stopped the run).
  if (!report.isEmpty() && !closeWhenSent_) {
    ShowMessage(
        this, kProgramCaption,
        QStringLiteral("送信できなかったﾒｰﾙがあります。\n") + outcome + "\n\n" + report.trimmed());
  }
  if (closeWhenSent_) close();
}

void CMainDialog::OnMailDelivered() {
  ++sentSoFar_;
  ShowCount(sentSoFar_);
  progress_->setValue(sentSoFar_);
}

void CMainDialog::OnRunEnded() {
  progress_->hide();
  countLabel_->setText(QStringLiteral("作成済ﾒｰﾙ数"));
}

bool CMainDialog::event(QEvent* event) {
  if (event->type() == WM_ANALYZEADDRESS) {
    if (plate_ != nullptr) {
      const auto* analyze = static_cast<AnalyzeAddressEvent*>(event);
      QCoreApplication::postEvent(plate_, new AnalyzeAddressEvent(analyze->path));
    }
    return true;
  }
  if (event->type() == QEvent::WindowActivate) ReloadListsChangedElsewhere();
  return QMainWindow::event(event);
}

void CMainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (acceptDrops() && plate_ != nullptr && event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void CMainDialog::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!acceptDrops() || plate_ == nullptr || urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  raise();
  activateWindow();
  plate_->AnalyzeFile(urls.first().toLocalFile());  // the other files are ignored
}

void CMainDialog::ApplyCommandLine(const QStringList& arguments) {
  if (arguments.size() < 2) return;
  const std::optional<std::string> title = ToCp932(arguments[1]);
  const MailingList* list = title ? model_->lists().FindByTitle(*title) : nullptr;
  if (list == nullptr) return;
  Select(model_->RowOf(*list));
  const QString& word = arguments[0];
  CommandId command;
  if (word.left(5).compare(QStringLiteral("unsub"), Qt::CaseInsensitive) == 0) {
    command = ID_UNSUBSCRIBE_PLATE;
  } else if (word.left(4).compare(QStringLiteral("subs"), Qt::CaseInsensitive) == 0) {
    command = ID_SUBSCRIBE_PLATE;
  } else {
    return;
  }
  if (QTreeWidgetItem* item = FindCommandItem(*commandTree_, command)) {
    commandTree_->setCurrentItem(item);
  }
  // Posted behind the plate's command, so it reaches the plate once the plate exists.
  if (arguments.size() > 2)
    QCoreApplication::postEvent(this, new AnalyzeAddressEvent(arguments[2]));
}

void CMainDialog::EditCommonSettings() {
  CCommonSettingsDlg dialog(store_, this);
  // The next 作成 and 送信 use the new folder, and the counts describe it.
  if (ExecModal(dialog) != QDialog::Accepted) return;
  queue_.SetMailBox(dialog.mailBox());
  CountQueued(nullptr);
}

void CMainDialog::AddList() {
  CMailListDlg dialog(this);
  if (ExecModal(dialog) != QDialog::Accepted) return;
  Select(model_->Add(std::make_unique<MailingList>(dialog.list())));
  OnSelectionChanged();
  SaveLists();
}

void CMainDialog::EditList() {
  MailingList* list = SelectedList();
  if (list == nullptr) return;
  CMailListDlg dialog(this);
  LoadPassword(*list);
  dialog.SetList(*list);
  if (ExecModal(dialog) != QDialog::Accepted) return;
  const ServerKind oldKind = list->Type;
  CopyDetails(dialog.list(), *list);
  model_->Refresh(selected_);
  if (list->Type != oldKind) {
    // A plate composes for one server kind; the list now has another.
    DestroyPlate();
    createButton_->setEnabled(false);
  }
  ShowListInfo();
  SaveLists();
}

void CMainDialog::DeleteList() {
  const int row = selected_;
  if (row < 0 || Sending()) return;
  const QString question =
      QStringLiteral("「%1」を削除して良いですか").arg(FromCp932(model_->at(row).Title));
  if (!AskOkCancel(this, QString(), question)) return;
  DestroyPlate();
  model_->Remove(row);
  // The neighbour takes the place of the removed list, so nothing refers to the freed record.
  Select(std::min(row, model_->rowCount() - 1));
  OnSelectionChanged();
  RecountQueued();
  SaveLists();
}

// Lists added or changed by tarnwick-cli while the window was in the background show when it is
// activated again. Not during a send, whose run refers to the records it was given.
void CMainDialog::ReloadListsChangedElsewhere() {
  if (Sending()) return;
  MailingListRegister stored = LoadRegister(store_);
  CountQueuedMails(queue_.mailBox(), stored);
  if (SameLists(stored, model_->lists())) return;
  const MailingList* list = SelectedList();
  const std::string title = list != nullptr ? list->Title : std::string();
  DestroyPlate();
  model_->Replace(std::move(stored));
  const MailingList* again = model_->lists().FindByTitle(title);
  Select(again != nullptr ? model_->RowOf(*again) : 0);
  OnSelectionChanged();
  RecountQueued();
}

// Each change is written when it is made, so tarnwick-cli sees it at once and a crash loses
// nothing; a save that fails says so and keeps the stored register as it was.
void CMainDialog::SaveLists() {
  if (SaveRegister(store_, model_->lists())) return;
  ShowMessage(this, kProgramCaption,
              model_->lists().unreadable() != 0
                  ? QString::fromStdString(UnreadableListsMessage(model_->lists()))
                  : QStringLiteral("登録MLﾘｽﾄを保存できませんでした"));
}

void CMainDialog::closeEvent(QCloseEvent* event) {
  if (Sending()) {
    // The run stops at once (the mail in flight is finished or left queued); the window closes
    // when it has ended.
    closeWhenSent_ = true;
    StopSending();
    event->ignore();
    return;
  }
  DestroyPlate();  // a plate gives back its remembered paths, which are saved with the lists
  SaveLists();
  event->accept();
}

}  // namespace tarnwick
