#include "compose/queue_messages.h"

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

QString ComposeFailureMessage(ComposeStatus status) {
  switch (status) {
    case ComposeStatus::LineBreakInText:
      return QStringLiteral("改行を含む値はｺﾏﾝﾄﾞﾒｰﾙに使えません");
    case ComposeStatus::FileTooLarge:
      return QStringLiteral("ﾌｧｲﾙが大きすぎてﾒｰﾙで送れません");
    case ComposeStatus::Composed:
    case ComposeStatus::NothingToQueue:
    case ComposeStatus::NotOffered:
      break;
  }
  return {};
}

}  // namespace tarnwick
