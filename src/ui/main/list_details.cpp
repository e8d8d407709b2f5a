#include "ui/main/list_details.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

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

ListDetails::ListDetails()
    : QGroupBox(QStringLiteral(" 管理情報 ")),
      nameField_(ReadOnlyField("nameField")),
      kindField_(ReadOnlyField("kindField")),
      addressField_(ReadOnlyField("addressField")),
      adminField_(ReadOnlyField("adminField")),
      addButton_(NamedButton(QStringLiteral("追加(&A)"), "addButton")),
      editButton_(NamedButton(QStringLiteral("編集(&E)"), "editButton")),
      deleteButton_(NamedButton(QStringLiteral("削除(&D)"), "deleteButton")) {
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("ﾘｽﾄ名"), nameField_);
  form->addRow(QStringLiteral("ｻｰﾊﾞｰ種別"), kindField_);
  form->addRow(QStringLiteral("ｻｰﾊﾞｰｱﾄﾞﾚｽ"), addressField_);
  form->addRow(QStringLiteral("管理者ｱﾄﾞﾚｽ"), adminField_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {addButton_, editButton_, deleteButton_})
    buttons->addWidget(button);
  form->addRow(buttons);
}

void ListDetails::Show(const MailingList* list, bool sending) {
  selected_ = list != nullptr;
  nameField_->setText(selected_ ? FromCp932(list->Name) : QString());
  kindField_->setText(selected_ ? FromCp932(ServerKindName(list->Type)) : QString());
  addressField_->setText(selected_ ? FromCp932(list->Address) : QString());
  adminField_->setText(selected_ ? FromCp932(list->Admin) : QString());
  editButton_->setEnabled(selected_);
  SetSending(sending);
}

void ListDetails::SetSending(bool sending) {
  deleteButton_->setEnabled(selected_ && !sending);
}

}  // namespace tarnwick
