#include "ui/compose/created_mail_dlg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "core/compose/command_names.h"
#include "core/compose/mail_preview.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "ui/platform/button_column.h"
#include "ui/platform/desktop.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

// Enough for any command mail a person reads on screen; a larger one is shown cut.
constexpr std::uintmax_t kPreviewBytes = 1u << 20;

// A mail is listed by its command's Japanese name.
QString TitleText(const std::string& title) {
  return QString::fromStdString(CommandTitleText(title));
}

QString PathText(const std::filesystem::path& path) {
  return QFile::decodeName(path.c_str());
}

QString TimeMade(const std::filesystem::path& path) {
  return QFileInfo(PathText(path)).lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString PreviewOf(const std::filesystem::path& path, bool showPasswords) {
  const FileBytes file = ReadRegularFile(path, kPreviewBytes);
  if (file.status == FileBytes::OpenFailed || file.status == FileBytes::ReadFailed)
    return QStringLiteral("ﾒｰﾙを読めませんでした: %1")
        .arg(QString::fromLocal8Bit(std::strerror(file.error)));
  if (file.status == FileBytes::NotRegular) return QStringLiteral("ﾒｰﾙのﾌｧｲﾙではありません");
  const std::string shown = showPasswords ? file.bytes : MaskPasswords(file.bytes);
  QString text = QString::fromStdString(MailForDisplay(shown));
  if (file.status == FileBytes::TooLarge) text += QStringLiteral("\n…(以下省略)");
  return text;
}

}  // namespace

CCreatedMailDlg::CCreatedMailDlg(const MailingList& list, ListFolders folders, MailQueue& queue,
                                 QWidget* parent)
    : QDialog(parent),
      list_(list),
      folders_(std::move(folders)),
      queue_(queue),
      titles_(new QTreeWidget),
      preview_(new QPlainTextEdit),
      showPasswords_(new QCheckBox(QStringLiteral("ﾊﾟｽﾜｰﾄﾞを表示(&P)"))),
      editButton_(NamedButton(QStringLiteral("編集(&E)"), "editButton")),
      deleteButton_(NamedButton(QStringLiteral("削除(&D)"), "deleteButton")) {
  setWindowTitle(QStringLiteral("作成済みﾒｰﾙ操作"));
  titles_->setObjectName(QStringLiteral("titleList"));
  titles_->setToolTip(
      QStringLiteral("選んだﾒｰﾙの内容を下に表示します。ﾀﾞﾌﾞﾙｸﾘｯｸで開き、複数選んで削除できます"));
  titles_->setHeaderLabels({QStringLiteral("ﾀｲﾄﾙ"), QStringLiteral("ﾘｽﾄ"),
                            QStringLiteral("作成日時"), QStringLiteral("ﾌｧｲﾙ名")});
  titles_->setRootIsDecorated(false);
  titles_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  AddRows();
  titles_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  QPushButton* close = NamedButton(QStringLiteral("閉じる"), "closeButton");
  editButton_->setEnabled(false);
  deleteButton_->setEnabled(false);
  editButton_->setToolTip(QStringLiteral("選んだﾒｰﾙをﾃﾞｽｸﾄｯﾌﾟで関連づけたｱﾌﾟﾘで開きます"));
  deleteButton_->setToolTip(QStringLiteral("選んだﾒｰﾙを送らずに削除します"));
  showPasswords_->setToolTip(QStringLiteral("内容のﾊﾟｽﾜｰﾄﾞを伏せ字にせず表示します"));
  connect(titles_, &QTreeWidget::itemSelectionChanged, this, &CCreatedMailDlg::UpdateButtons);
  connect(titles_, &QTreeWidget::itemSelectionChanged, this, &CCreatedMailDlg::ShowPreview);
  connect(titles_, &QTreeWidget::itemDoubleClicked, this, &CCreatedMailDlg::OpenSelected);
  connect(showPasswords_, &QCheckBox::toggled, this, &CCreatedMailDlg::ShowPreview);
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
  layout->addLayout(WithButtonColumn(titles_, {editButton_, deleteButton_, close}), 2);
  layout->addLayout(PreviewArea(), 3);
  resize(640, 520);
}

void CCreatedMailDlg::AddRows() {
  for (QueueEntry& mail : queue_.List(folders_)) {
    const auto row = static_cast<int>(SortedInsertPosition(
        mails_, mail.title, [](const QueueEntry& e) -> const std::string& { return e.title; }));
    titles_->insertTopLevelItem(
        row, new QTreeWidgetItem({TitleText(mail.title), FromCp932(list_.Name), TimeMade(mail.path),
                                  FromCp932(mail.fileName)}));
    mails_.insert(mails_.begin() + row, std::move(mail));
  }
}

QLayout* CCreatedMailDlg::PreviewArea() {
  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setReadOnly(true);
  preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
  preview_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  showPasswords_->setObjectName(QStringLiteral("showPasswords"));
  auto* heading = new QHBoxLayout;
  heading->addWidget(new QLabel(QStringLiteral("内容")), 1);
  heading->addWidget(showPasswords_);
  auto* area = new QVBoxLayout;
  area->addLayout(heading);
  area->addWidget(preview_, 1);
  return area;
}

std::vector<int> CCreatedMailDlg::SelectedRows() const {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : titles_->selectedItems())
    rows.push_back(titles_->indexOfTopLevelItem(item));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void CCreatedMailDlg::UpdateButtons() {
  if (!titles_->selectedItems().isEmpty()) {
    editButton_->setEnabled(true);
    deleteButton_->setEnabled(true);
  }
}

void CCreatedMailDlg::ShowPreview() {
  const std::vector<int> rows = SelectedRows();
  preview_->setPlainText(
      rows.size() == 1
          ? PreviewOf(mails_[static_cast<std::size_t>(rows[0])].path, showPasswords_->isChecked())
          : QString());
}

void CCreatedMailDlg::OpenSelected() {
  for (int row : SelectedRows())
    OpenWithDesktop(PathText(mails_[static_cast<std::size_t>(row)].path), this);
}

bool CCreatedMailDlg::ConfirmDelete(const std::vector<int>& rows) {
  const QueueEntry& first = mails_[static_cast<std::size_t>(rows.front())];
  const QString what =
      rows.size() == 1
          ? QStringLiteral("｢%1｣(%2)").arg(TitleText(first.title), FromCp932(first.fileName))
          : QStringLiteral("選択した%1通のﾒｰﾙ").arg(rows.size());
  return AskOkCancel(this, kProgramCaption, QStringLiteral("%1を削除して良いですか").arg(what));
}

void CCreatedMailDlg::DeleteSelected() {
  const std::vector<int> rows = SelectedRows();
  if (!rows.empty() && ConfirmDelete(rows)) {
    // From the last row up, so the rows still to go keep their numbers.
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
      const auto index = static_cast<std::size_t>(*row);
      if (const int error = queue_.Remove(mails_[index].path)) {
        ShowMessage(this, kProgramCaption, QString::fromLocal8Bit(std::strerror(error)));
        break;
      }
      mails_.erase(mails_.begin() + *row);
      delete titles_->takeTopLevelItem(*row);
    }
    // The selection stays where the user was working.
    if (titles_->topLevelItemCount() > 0)
      titles_->setCurrentItem(
          titles_->topLevelItem(std::min(rows.front(), titles_->topLevelItemCount() - 1)));
  }
  // Mails without a title are counted but not listed: the buttons stay while any is queued.
  if (queue_.Count(folders_) == 0) {
    editButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
  }
}

}  // namespace tarnwick
