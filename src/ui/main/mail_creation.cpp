#include "ui/main/mail_creation.h"

#include "core/compose/command_names.h"
#include "core/compose/queue_folder.h"
#include "ui/platform/modal.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

QString QueueCommandMail(QWidget* window, CPlate& plate, MailQueue& queue,
                         const ListFolders& folders, bool& queued) {
  queued = false;
  std::string mail;
  const ComposeResult composed = plate.BuildMail(mail);
  if (composed.status != ComposeStatus::Composed) {
    if (composed.status == ComposeStatus::Refused)
      ShowMessage(window, kProgramCaption, QString::fromStdString(composed.reason));
    // A plate whose input was refused has said why itself.
    return QStringLiteral("作成しませんでした") +
           (composed.reason.empty() || composed.status == ComposeStatus::Refused
                ? QString()
                : QStringLiteral(": ") + QString::fromStdString(composed.reason));
  }
  const QueueOutcome outcome = queue.Add(folders, mail);
  if (outcome.status != QueueStatus::Queued) {
    const std::string folder = ListQueueFolder(queue.mailBox(), folders.newMails).value_or("");
    ShowMessage(window, kProgramCaption,
                QString::fromStdString(DescribeQueueFailure(outcome, folder)));
    return QStringLiteral("作成しませんでした");
  }
  queued = true;
  const std::string file = outcome.path.substr(outcome.path.rfind('/') + 1);
  return QStringLiteral("「%1」を %2 として作成しました")
      .arg(QString::fromStdString(CommandTitleText(MailTitle(mail).value_or(""))), FromCp932(file));
}

}  // namespace tarnwick
