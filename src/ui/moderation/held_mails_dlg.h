// "保留ﾒｰﾙ": the posts and requests the list servers hold for the moderator, loaded in the
// background, filtered by list and state, the selected post shown as a member's mail program
// shows it, and the selected items approved, rejected or discarded at once.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "core/moderation/held_answer.h"
#include "core/moderation/held_store.h"
#include "core/store/settings_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace tarnwick {

class BackgroundTask;
class HeldFilter;
class HeldModel;
struct HeldRow;

class CHeldMailsDlg : public QDialog {
 public:
  // `answered` runs after answers were queued, for the counts of whoever opened the window.
  CHeldMailsDlg(const SettingsStore& store, const MailingListRegister& lists, QWidget* parent,
                std::function<void()> answered = {});
  ~CHeldMailsDlg() override;

  bool loading() const { return load_ != nullptr; }

 private:
  QWidget* BuildFilterRow();
  QWidget* BuildPreview();
  QLayout* BuildButtons();
  void Load();
  void Loaded(std::optional<HeldStore> store, std::vector<HeldRow> rows, const QString& failure);
  std::vector<const HeldRow*> SelectedRows() const;
  void ShowSelected();
  void ShowPost(const HeldRow& row);
  // The answer to every selected item; a rejection asks its reason first.
  void Answer(HeldAnswer answer);
  void ShowRefusals(const std::vector<ItemAnswered>& answered);

  const SettingsStore& store_;
  const MailingListRegister& lists_;
  std::function<void()> answered_;
  std::optional<HeldStore> held_;
  HeldModel* model_;
  HeldFilter* filter_;
  QTableView* table_;
  QComboBox* listChoice_ = nullptr;
  QCheckBox* showAll_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* header_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QLabel* attachments_ = nullptr;
  QLabel* newPostNote_ = nullptr;
  QPushButton* approve_ = nullptr;
  QPushButton* reject_ = nullptr;
  QPushButton* discard_ = nullptr;
  BackgroundTask* load_ = nullptr;
};

}  // namespace tarnwick
