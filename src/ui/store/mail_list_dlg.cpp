#include "ui/store/mail_list_dlg.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <limits>

#include "core/compose/value_rules.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {
namespace {

void AddKindButton(QButtonGroup* group, QLayout* layout, const char* text, ServerKind kind,
                   const char* objectName) {
  auto* button = new QRadioButton(QString::fromUtf8(text));
  button->setObjectName(QString::fromUtf8(objectName));
  button->setToolTip(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙを %1 の書式で作ります").arg(button->text()));
  group->addButton(button, static_cast<int>(kind));
  layout->addWidget(button);
}

// fml's $MAXNUM_COMMAND_INPUT: Majordomo runs any number of lines, so the field waits for FML.
QSpinBox* MaxCommandsField() {
  auto* field = new QSpinBox;
  field->setObjectName(QStringLiteral("maxCommands"));
  field->setRange(0, std::numeric_limits<int>::max());
  field->setSpecialValueText(QStringLiteral("なし"));
  field->setToolTip(QStringLiteral("fml の $MAXNUM_COMMAND_INPUT (0: 上限なし)"));
  field->setEnabled(false);
  return field;
}

}  // namespace

CMailListDlg::CMailListDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ML詳細"));
  title_ = NamedEdit("title");
  name_ = NamedEdit("name");
  address_ = NamedEdit("address");
  admin_ = NamedEdit("admin");
  password_ = NamedEdit("password");
  password_->setEchoMode(QLineEdit::Password);
  title_->setToolTip(QStringLiteral("一覧に出る名前。tarnwick-cli でもこの名前でMLを指します"));
  name_->setToolTip(QStringLiteral("ｻｰﾊﾞｰでのﾘｽﾄ名。作成済ﾒｰﾙのﾌｫﾙﾀﾞ名にもなります"));
  address_->setToolTip(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙの宛先 (例: majordomo@example.jp)"));
  admin_->setToolTip(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙの差出人。ｻｰﾊﾞｰに管理者として登録したｱﾄﾞﾚｽ"));
  password_->setToolTip(QStringLiteral("ｻｰﾊﾞｰの管理ﾊﾟｽﾜｰﾄﾞ"));

  auto* kindBox = new QGroupBox(QStringLiteral(" ＭＬｻｰﾊﾞｰの種別 "));
  auto* kindLayout = new QHBoxLayout(kindBox);
  kind_ = new QButtonGroup(this);
  AddKindButton(kind_, kindLayout, "Majordomo", ServerKind::Majordomo, "majordomo");
  AddKindButton(kind_, kindLayout, "FML", ServerKind::Fml, "fml");

  auto* details = new QGroupBox(QStringLiteral(" 管理情報 "));
  auto* form = new QFormLayout(details);
  form->addRow(QStringLiteral("ﾘｽﾄ名"), name_);
  form->addRow(kindBox);
  form->addRow(QStringLiteral("ｻｰﾊﾞｰｱﾄﾞﾚｽ"), address_);
  form->addRow(QStringLiteral("管理者ｱﾄﾞﾚｽ"), admin_);
  form->addRow(QStringLiteral("管理ﾊﾟｽﾜｰﾄﾞ"), password_);
  maxCommands_ = MaxCommandsField();
  form->addRow(QStringLiteral("ｺﾏﾝﾄﾞ数の上限"), maxCommands_);
  connect(kind_, &QButtonGroup::idToggled, this, [this] {
    maxCommands_->setEnabled(kind_->checkedId() == static_cast<int>(ServerKind::Fml));
  });

  QDialogButtonBox* buttons = OkCancelButtons(this);

  auto* titleRow = new QFormLayout;
  titleRow->addRow(QStringLiteral("ﾀｲﾄﾙ"), title_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(titleRow);
  layout->addWidget(details);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

void CMailListDlg::SetList(const MailingList& list) {
  title_->setText(FromCp932(list.Title));
  name_->setText(FromCp932(list.Name));
  address_->setText(FromCp932(list.Address));
  admin_->setText(FromCp932(list.Admin));
  password_->setText(FromCp932(list.Password));
  // An exclusive group can't be emptied button by button; a list without a kind shows none.
  kind_->setExclusive(false);
  for (QAbstractButton* button : kind_->buttons())
    button->setChecked(kind_->id(button) == static_cast<int>(list.Type));
  kind_->setExclusive(true);
  maxCommands_->setValue(
      static_cast<int>(std::min<std::uint32_t>(list.MaxCommands, std::numeric_limits<int>::max())));
  maxCommands_->setEnabled(list.Type == ServerKind::Fml);
}

void CMailListDlg::accept() {
  MailingList typed;
  const std::array<std::pair<QLineEdit*, std::string*>, 5> fields{{
      {title_, &typed.Title},
      {name_, &typed.Name},
      {address_, &typed.Address},
      {admin_, &typed.Admin},
      {password_, &typed.Password},
  }};
  for (const auto& [edit, field] : fields) {
    std::optional<std::string> text = TypedCp932(*edit);
    if (!text) return;
    *field = std::move(*text);
  }
  typed.Type = static_cast<ServerKind>(kind_->checkedId());  // -1 when no kind is chosen
  if (typed.Type == ServerKind::Fml)
    typed.MaxCommands = static_cast<std::uint32_t>(maxCommands_->value());
  if (const std::optional<ListDetailsProblem> problem = CheckListDetails(typed)) {
    ShowMessage(this, kProgramCaption, QString::fromStdString(problem->reason));
    QWidget* const fields[] = {title_, name_, kind_->buttons().first(), address_, admin_};
    fields[problem->field]->setFocus();
    return;
  }
  // The list is kept as typed (the password may be changed on the server later), but the
  // administrator learns now why its mails won't be composed.
  if (const Refusal warning = CheckListPassword(typed))
    ShowMessage(this, kProgramCaption, QString::fromStdString(*warning));
  list_ = std::move(typed);
  QDialog::accept();
}

}  // namespace tarnwick
