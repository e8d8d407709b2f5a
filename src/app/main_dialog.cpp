#include "app/main_dialog.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/register_model.h"
#include "platform/modal.h"
#include "platform/named_widgets.h"
#include "platform/qt_text.h"
#include "store/common_settings.h"
#include "store/mail_list_dlg.h"

namespace tarnwick {
namespace {

QLineEdit* ReadOnlyField(const char* objectName) {
  QLineEdit* field = NamedEdit(objectName);
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::ClickFocus);
  return field;
}

}  // namespace

CMainDialog::CMainDialog(SettingsStore store, QWidget* parent)
    : QMainWindow(parent), store_(std::move(store)) {
  setWindowTitle(kProgramCaption);
  mailBox_ = ReadMailBox(store_);
  model_ = new RegisterModel(LoadRegister(store_, mailBox_), this);

  auto* central = new QWidget;
  auto* columns = new QHBoxLayout(central);
  columns->addWidget(BuildRegisterColumn(), 1);
  columns->addWidget(BuildDetailsColumn(), 1);
  setCentralWidget(central);
  BuildMenus();

  // Queued, so the message comes up after the in-place editor has closed, not inside its commit.
  connect(
      model_, &RegisterModel::titleRefused, this,
      [this](const QString& offending) {
        ShowMessage(this, kProgramCaption, UnrepresentableTextMessage(offending));
      },
      Qt::QueuedConnection);
  Select(0);
  ShowListInfo();
}

QWidget* CMainDialog::BuildRegisterColumn() {
  registerView_ = new QListView;
  registerView_->setObjectName(QStringLiteral("registerView"));
  registerView_->setModel(model_);
  registerView_->setSelectionMode(QAbstractItemView::SingleSelection);
  registerView_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::SelectedClicked);
  connect(registerView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CMainDialog::OnSelectionChanged);
  connect(registerView_, &QListView::doubleClicked, this, &CMainDialog::EditList);

  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(QStringLiteral("登録ＭＬリスト")));
  layout->addWidget(registerView_);
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

  QPushButton* addButton = NamedButton(QStringLiteral("追加"), "addButton");
  editButton_ = NamedButton(QStringLiteral("編集"), "editButton");
  deleteButton_ = NamedButton(QStringLiteral("削除"), "deleteButton");
  connect(addButton, &QPushButton::clicked, this, &CMainDialog::AddList);
  connect(editButton_, &QPushButton::clicked, this, &CMainDialog::EditList);
  connect(deleteButton_, &QPushButton::clicked, this, &CMainDialog::DeleteList);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {addButton, editButton_, deleteButton_})
    buttons->addWidget(button);

  auto* column = new QWidget;
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(details);
  layout->addLayout(buttons);
  layout->addStretch();
  return column;
}

void CMainDialog::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  file->addAction(QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), this, &CMainDialog::close);
  QMenu* lists = menuBar()->addMenu(QStringLiteral("ﾒｰﾘﾝｸﾞﾘｽﾄ(&L)"));
  lists->addAction(QStringLiteral("追加(&A)"), this, &CMainDialog::AddList);
  editAction_ = lists->addAction(QStringLiteral("編集(&E)"), this, &CMainDialog::EditList);
  deleteAction_ = lists->addAction(QStringLiteral("削除(&D)"), this, &CMainDialog::DeleteList);
}

MailingList* CMainDialog::SelectedList() {
  return selected_ >= 0 ? &model_->at(selected_) : nullptr;
}

void CMainDialog::Select(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const QModelIndex index = model_->index(row);
  registerView_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void CMainDialog::OnSelectionChanged() {
  const QModelIndexList rows = registerView_->selectionModel()->selectedRows();
  selected_ = rows.isEmpty() ? -1 : rows.first().row();
  ShowListInfo();
}

void CMainDialog::ShowListInfo() {
  const MailingList* list = SelectedList();
  nameField_->setText(list ? FromCp932(list->Name) : QString());
  kindField_->setText(list ? FromCp932(ServerKindName(list->Type)) : QString());
  addressField_->setText(list ? FromCp932(list->Address) : QString());
  adminField_->setText(list ? FromCp932(list->Admin) : QString());
  const bool selected = list != nullptr;
  editButton_->setEnabled(selected);
  deleteButton_->setEnabled(selected);
  editAction_->setEnabled(selected);
  deleteAction_->setEnabled(selected);
}

void CMainDialog::AddList() {
  CMailListDlg dialog(this);
  if (ExecModal(dialog) != QDialog::Accepted) return;
  model_->Add(std::make_unique<MailingList>(dialog.list()));
}

void CMainDialog::EditList() {
  MailingList* list = SelectedList();
  if (list == nullptr) return;
  CMailListDlg dialog(this);
  dialog.SetList(*list);
  if (ExecModal(dialog) != QDialog::Accepted) return;
  CopyDetails(dialog.list(), *list);
  model_->Refresh(selected_);
  ShowListInfo();
}

void CMainDialog::DeleteList() {
  const int row = selected_;
  if (row < 0 || !AskOkCancel(this, QString(), QStringLiteral("削除して良いですか"))) return;
  model_->Remove(row);
  // The neighbour takes the place of the removed list, so nothing refers to the freed record.
  Select(std::min(row, model_->rowCount() - 1));
  OnSelectionChanged();
}

void CMainDialog::closeEvent(QCloseEvent* event) {
  // Store failures are not reported: the previous register then stays as it was.
  SaveRegister(store_, model_->lists());
  event->accept();
}

}  // namespace tarnwick
