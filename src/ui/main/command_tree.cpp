#include "ui/main/command_tree.h"

#include <QTreeWidget>
#include <string_view>

namespace tarnwick {
void FillCommandTree(QTreeWidget& tree, ServerKind serverKind, const QSet<QString>& expanded) {
  tree.clear();
  // The rows come group by group; a group shows when its kind offers any of its commands.
  QTreeWidgetItem* parent = nullptr;
  const char* category = nullptr;
  for (const CommandInfo& command : Commands()) {
    if (!IsOffered(command, serverKind)) continue;
    if (parent == nullptr || std::string_view(category) != command.category) {
      category = command.category;
      parent = new QTreeWidgetItem(&tree, {QString::fromUtf8(category)});
    }
    auto* item = new QTreeWidgetItem(parent, {QString::fromUtf8(command.label)});
    item->setData(0, Qt::UserRole, static_cast<int>(command.id));
  }
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    QTreeWidgetItem* group = tree.topLevelItem(i);
    group->setExpanded(expanded.contains(group->text(0)));
  }
}

int CommandOf(const QTreeWidgetItem& item) {
  return item.data(0, Qt::UserRole).toInt();
}

QTreeWidgetItem* FindCommandItem(QTreeWidget& tree, CommandId command) {
  for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
    if (CommandOf(**it) == command) return *it;
  }
  return nullptr;
}

}  // namespace tarnwick
