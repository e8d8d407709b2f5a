// A main window on a store of its own, with the lookups its tests share.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "support/temp_dir.h"
#include "ui/main/main_dialog.h"

namespace tarnwick::testing {

class MainWindowHarness {
 public:
  MainWindowHarness() : store_(dir_ / "registry.db") {
    store_.OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", MailBox());
  }

  const SettingsStore& store() const { return store_; }
  // As on a first start: the settings name no mail box folder, whose default is then a folder of
  // this test's own.
  void ForgetMailBox() {
    store_.OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", "");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir_ / "data").string()));
  }
  std::filesystem::path DefaultBox() const { return dir_ / "data" / "tarnwick" / "mail"; }
  std::string MailBox() const { return (dir_ / "box").string(); }
  std::filesystem::path Folder(const char* list) const { return dir_ / "box" / list; }
  CMainDialog& window() { return *window_; }

  static std::unique_ptr<MailingList> List(const char* title, ServerKind type, const char* name,
                                           const char* password = "") {
    auto list = std::make_unique<MailingList>();
    list->Title = title;
    list->Type = type;
    list->Name = name;
    list->Address = std::string(name) + "@server.example.jp";
    list->Admin = "admin@example.jp";
    list->Password = password;
    return list;
  }

  // Stores these lists as the register, as an earlier run would have left it.
  void Register(std::vector<std::unique_ptr<MailingList>> lists) {
    MailingListRegister stored;
    for (auto& list : lists)
      stored.Insert(std::move(list));
    QVERIFY(SaveRegister(store_, stored));
  }

  void Open(const QStringList& arguments = {}) {
    std::filesystem::create_directories(dir_ / "box");
    window_ = std::make_unique<CMainDialog>(store_, arguments);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void Close() { window_->close(); }

  QListView* View() { return window_->findChild<QListView*>("registerView"); }
  QTreeWidget* Tree() { return window_->findChild<QTreeWidget*>("commandTree"); }
  QPushButton* Button(const char* name) { return window_->findChild<QPushButton*>(name); }
  QString Field(const char* name) { return window_->findChild<QLineEdit*>(name)->text(); }
  QString Count() { return window_->findChild<QLabel*>("countText")->text(); }

  void Select(int row) { View()->setCurrentIndex(View()->model()->index(row, 0)); }

  // Picks the entry under its category in the command tree, as a click does.
  void Choose(const QString& category, const QString& entry) {
    for (int i = 0; i < Tree()->topLevelItemCount(); ++i) {
      QTreeWidgetItem* group = Tree()->topLevelItem(i);
      if (group->text(0) != category) continue;
      for (int j = 0; j < group->childCount(); ++j) {
        if (group->child(j)->text(0) == entry) Tree()->setCurrentItem(group->child(j));
      }
    }
  }

  // The whole tree as "category/entry" lines.
  QStringList TreeEntries() {
    QStringList entries;
    for (QTreeWidgetItemIterator it(Tree()); *it != nullptr; ++it) {
      entries << ((*it)->parent() ? (*it)->parent()->text(0) + "/" : QString()) + (*it)->text(0);
    }
    return entries;
  }

 private:
  TempDir dir_;
  SettingsStore store_;
  std::unique_ptr<CMainDialog> window_;
};

}  // namespace tarnwick::testing
