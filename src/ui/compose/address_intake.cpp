#include "ui/compose/address_intake.h"

#include <QStringList>

#include "ui/platform/modal.h"

namespace tarnwick {

AddressText ReadPastedAddresses(const QString& text, ServerKind serverKind) {
  return ReadAddressText(text.toStdString(), serverKind, AddressTextRule::Loose);
}

QString RefusedDetails(const AddressText& text) {
  QStringList lines;
  for (const RefusedAddress& refused : text.refused)
    lines << QString::fromStdString(DescribeRefused(refused));
  if (text.refusedCount > text.refused.size())
    lines << QStringLiteral("ほか %1件").arg(text.refusedCount - text.refused.size());
  return lines.join(u'\n');
}

void ReportAddresses(QWidget* parent, const AddressText& text, std::size_t added,
                     std::size_t held) {
  if (text.refusal) {
    ShowMessage(parent, kProgramCaption, QString::fromStdString(*text.refusal));
    return;
  }
  const std::size_t skipped = held + text.duplicates;
  if (added == 1 && skipped == 0 && text.refusedCount == 0) return;
  QString message = QStringLiteral("%1件のｱﾄﾞﾚｽを追加しました").arg(added);
  if (skipped != 0) message += QStringLiteral("\n重複 %1件は除きました").arg(skipped);
  if (text.refusedCount != 0)
    message += QStringLiteral("\n使えないｱﾄﾞﾚｽ %1件は追加していません").arg(text.refusedCount);
  ShowMessage(parent, kProgramCaption, message, RefusedDetails(text));
}

}  // namespace tarnwick
