// The command tree of the main window: categories and the commands a server kind offers.
#pragma once

#include <QSet>
#include <QString>
#include <cstdint>

#include "core/compose/command_catalogue.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tarnwick {

// Fills the tree for lists of this kind (empty for a list without a kind), the categories named
// in `expanded` open. Each command item carries its command id; categories carry none.
void FillCommandTree(QTreeWidget& tree, ServerKind serverKind, const QSet<QString>& expanded = {});

// The command id an item carries, or 0 for a category.
int CommandOf(const QTreeWidgetItem& item);

// The first item, depth first, that carries this command; nullptr when the tree has none.
QTreeWidgetItem* FindCommandItem(QTreeWidget& tree, CommandId command);

}  // namespace tarnwick
