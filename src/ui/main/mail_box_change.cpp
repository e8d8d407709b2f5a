#include "ui/main/mail_box_change.h"

#include "core/compose/queue_move.h"
#include "core/compose/queue_reader.h"
#include "ui/platform/modal.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

void OfferQueueMove(QWidget* parent, const std::string& oldMailBox, const std::string& newMailBox,
                    const MailingListRegister& lists) {
  if (oldMailBox == newMailBox) return;
  const std::size_t queued = CollectQueue(oldMailBox, lists).size();
  if (queued == 0) return;
  const QString question =
      QStringLiteral(
          "前のﾒｰﾙ保存ﾊﾟｽ (%1) に作成済ﾒｰﾙが%2通あります。\n新しいﾊﾟｽ (%3) へ移動しますか")
          .arg(FromCp932(oldMailBox))
          .arg(queued)
          .arg(FromCp932(newMailBox));
  if (!AskOkCancel(parent, kProgramCaption, question, QStringLiteral("移動する"),
                   QStringLiteral("移動しない"))) {
    return;
  }
  const QueueMove move = MoveQueue(oldMailBox, newMailBox, lists);
  if (move.left == 0) return;
  ShowMessage(parent, kProgramCaption,
              QStringLiteral("%1通を移動できませんでした。前のﾊﾟｽに残っています。\n%2")
                  .arg(move.left)
                  .arg(QString::fromStdString(move.failure)));
}

}  // namespace tarnwick
