#include "ui/analyze/address_analyze_dlg.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/platform/desktop.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

bool AgreesToAddNone(QWidget* parent) {
  return AskOkCancel(
      parent, kProgramCaption,
      QStringLiteral("ｱﾄﾞﾚｽが選択されていません。\n抽出したｱﾄﾞﾚｽを追加せずに閉じますか"));
}

CAddressAnalyzeDlg::CAddressAnalyzeDlg(const QString& fileName, ExtractionMode mode,
                                       QWidget* parent)
    : QDialog(parent), fileName_(fileName), mode_(mode), list_(new QListWidget) {
  setWindowTitle(QStringLiteral("ｱﾄﾞﾚｽ解析"));
  // The extraction reads the file it was given; an edited name would mislead, so it is shown only.
  QLineEdit* name = NamedEdit("fileName");
  name->setText(fileName_);
  name->setReadOnly(true);
  QPushButton* open = NamedButton(QStringLiteral("開く"), "openButton");
  connect(open, &QPushButton::clicked, this, [this] { OpenWithDesktop(fileName_, this); });
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(QStringLiteral("ﾌｧｲﾙ名")));
  fileRow->addWidget(name, 1);
  fileRow->addWidget(open);

  list_->setObjectName(QStringLiteral("addressList"));
  list_->setSelectionMode(QAbstractItemView::MultiSelection);  // each click toggles one entry
  list_->setToolTip(
      QStringLiteral("ｸﾘｯｸするたびに選択が切り替わります。選んだｱﾄﾞﾚｽを OK で一覧に加えます"));
  QPushButton* all = NamedButton(QStringLiteral("全て選択"), "selectAllButton");
  QPushButton* none = NamedButton(QStringLiteral("全て削除"), "deselectAllButton");
  none->setToolTip(QStringLiteral("選択を全て外します (ｱﾄﾞﾚｽは一覧に残ります)"));
  connect(all, &QPushButton::clicked, this, [this] { SelectAll(true); });
  connect(none, &QPushButton::clicked, this, [this] { SelectAll(false); });
  auto* selectRow = new QHBoxLayout;
  selectRow->addWidget(all);
  selectRow->addWidget(none);
  selectRow->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fileRow);
  layout->addWidget(
      new QLabel(QStringLiteral("以下のｱﾄﾞﾚｽを抽出しました。\n必要なものを選択してください")));
  layout->addWidget(list_, 1);
  layout->addLayout(selectRow);
  layout->addWidget(OkCancelButtons(this));
  resize(420, 360);
}

int CAddressAnalyzeDlg::Run() {
  const std::filesystem::path file(QFile::encodeName(fileName_).toStdString());
  for (std::string& address : ExtractAddresses(file, mode_)) {
    found_.Add(std::move(address));
  }
  if (found_.empty()) {
    ShowMessage(parentWidget(), kProgramCaption, QStringLiteral("ｱﾄﾞﾚｽの抽出に失敗しました"));
    return QDialog::Rejected;
  }
  for (const std::string& address : found_.entries())
    list_->addItem(FromCp932(address));
  SelectAll(true);  // the found addresses are what was asked for; the user unticks the odd one
  return ExecModal(*this);
}

void CAddressAnalyzeDlg::SelectAll(bool selected) {
  for (int row = 0; row < list_->count(); ++row)
    list_->item(row)->setSelected(selected);
}

void CAddressAnalyzeDlg::accept() {
  addresses_.clear();
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->item(row)->isSelected()) {
      addresses_.push_back(found_.entries()[static_cast<std::size_t>(row)]);
    }
  }
  if (addresses_.empty() && !AgreesToAddNone(this)) return;
  QDialog::accept();
}

}  // namespace tarnwick
