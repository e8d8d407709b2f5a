// Many member addresses at once into an address list: a paste, a drop, a text or CSV file, read
// by the core's rule of the list's server, and one short message of what was taken.
#pragma once

#include <QString>
#include <cstddef>

#include "core/compose/address_text.h"

class QWidget;

namespace tarnwick {

// The file dialog's filter for a file of addresses.
inline const QString kAddressFileFilter =
    QStringLiteral("ｱﾄﾞﾚｽのﾌｧｲﾙ (*.txt *.csv);;全てのﾌｧｲﾙ (*)");

// The text or file read as a paste is (AddressTextRule::Loose).
AddressText ReadPastedAddresses(const QString& text, ServerKind serverKind);

// The message of what the addresses gave: `added` taken, `held` the list had already; the
// refused lines each named behind the box's 詳細. Nothing is said of one address taken cleanly.
void ReportAddresses(QWidget* parent, const AddressText& text, std::size_t added, std::size_t held);

// The refused lines, one each, and how many more there were (for a box's 詳細).
QString RefusedDetails(const AddressText& text);

}  // namespace tarnwick
