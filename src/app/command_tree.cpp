#include "app/command_tree.h"

#include <QTreeWidget>
#include <vector>

namespace tarnwick {
namespace {

struct TreeEntry {
  const char* label;
  CommandId command;
};

struct TreeCategory {
  const char* label;
  std::vector<TreeEntry> entries;
};

const std::vector<TreeCategory>& Categories() {
  static const std::vector<TreeCategory> categories{
      {"ﾊﾟｽﾜｰﾄﾞ関係",
       {{"ﾊﾟｽﾜｰﾄﾞ変更", ID_NEWPASSWORD_PLATE}, {"ﾊﾟｽﾜｰﾄﾞ初期化", ID_INITPASSWORD_PLATE}}},
      {"ﾒﾝﾊﾞｰﾘｽﾄ操作",
       {{"ﾒﾝﾊﾞｰ一覧", ID_MEMBERS_PLATE},
        {"登録", ID_SUBSCRIBE_PLATE},
        {"削除", ID_UNSUBSCRIBE_PLATE},
        {"休止", ID_OFF_PLATE},
        {"休止解除", ID_ON_PLATE},
        {"変更", ID_CHADDR_PLATE},
        {"まとめ送り", ID_MATOME_PLATE},
        {"投稿のみ", ID_SKIP_PLATE}}},
      {"管理ﾒﾝﾊﾞｰ操作", {{"登録", ID_ADDADMIN_PLATE}, {"削除", ID_BYEADMIN_PLATE}}},
      {"ﾌｧｲﾙ操作",
       {{"ﾘｽﾄ", ID_FILELIST_PLATE},
        {"取得", ID_FILEGET_PLATE},
        {"登録", ID_FILEPUT_PLATE},
        {"削除", ID_REMOVE_PLATE},
        {"ﾘﾈｰﾑ", ID_RENAME_PLATE},
        {"Infoﾌｧｲﾙ設定", ID_NEWINFO_PLATE},
        {"Introﾌｧｲﾙ設定", ID_NEWINTRO_PLATE},
        {"Guideﾌｧｲﾙ設定", ID_NEWGUIDE_PLATE},
        {"記事削除", ID_UNLINK_PLATE},
        {"Configﾌｧｲﾙ設定", ID_CONFIG_PLATE}}},
      {"その他",
       {{"管理者ｺﾏﾝﾄﾞﾍﾙﾌﾟ取得", ID_HELP_PLATE},
        {"ﾛｸﾞ取り寄せ", ID_LOG_PLATE},
        {"PGP", ID_PGP_PLATE},
        {"ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞ", ID_DEBUG_PLATE}}},
  };
  return categories;
}

}  // namespace

void FillCommandTree(QTreeWidget& tree, std::int32_t serverKind) {
  tree.clear();
  for (const TreeCategory& category : Categories()) {
    QTreeWidgetItem* parent = nullptr;
    for (const TreeEntry& entry : category.entries) {
      if (!IsOffered(*FindCommand(entry.command), serverKind)) continue;
      if (parent == nullptr) {
        parent = new QTreeWidgetItem(&tree, {QString::fromUtf8(category.label)});
      }
      auto* item = new QTreeWidgetItem(parent, {QString::fromUtf8(entry.label)});
      item->setData(0, Qt::UserRole, static_cast<int>(entry.command));
    }
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
