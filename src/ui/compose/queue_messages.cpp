#include "ui/compose/queue_messages.h"

#include <cstring>

namespace tarnwick {

QString QueueFailureMessage(const QueueOutcome& outcome) {
  switch (outcome.status) {
    case QueueStatus::FolderNotCreated:
      return QStringLiteral("ﾒｰﾙを保存するﾊﾟｽが作成できません");
    case QueueStatus::FolderIsFile:
      return QStringLiteral("ﾒｰﾙを保存するﾊﾟｽが作成できません\n同名のﾌｧｲﾙが存在してます");
    case QueueStatus::InvalidListName:
      return QStringLiteral(
          "ﾘｽﾄ名がﾒｰﾙを保存するﾌｫﾙﾀﾞ名に使えません\n"
          "ﾘｽﾄ名に「/」を含めたり「.」「..」にしたりはできません");
    case QueueStatus::WriteFailed:
      return QString::fromLocal8Bit(std::strerror(outcome.error));
    case QueueStatus::Queued:
      break;
  }
  return {};
}

}  // namespace tarnwick
