// The mail box folder (the root of the queue and of the sent mails), how mail leaves (direct SMTP
// or an outside mailer, with the mailer's program), and how long sent mails are kept.
#pragma once

#include <cstdint>
#include <functional>

#include "core/store/settings_store.h"
#include "ui/settings/settings_page.h"

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tarnwick {

class MailBoxPage : public SettingsPage {
 public:
  // `mailerChanged` is called when the user picks another way for mail to leave.
  MailBoxPage(const SettingsStore& store, std::function<void()> mailerChanged);
  ~MailBoxPage() override;
  MailBoxPage(const MailBoxPage&) = delete;
  MailBoxPage& operator=(const MailBoxPage&) = delete;

  // The rows of the folder and of the mailer, from `row` on; `row` ends past them.
  void AddMailerRows(QGridLayout& grid, int& row);
  // The row of the days sent mails are kept.
  void AddSentDaysRow(QGridLayout& grid, int& row);

  bool directSmtp() const;

  void Load(const CommonSettings& settings) override;
  PageOutcome Store(CommonSettings& settings) const override;
  void EnableFor(bool directSmtp) override;

 private:
  void OnMailerChanged(int index);
  void BrowseMailBox();
  void BrowseMailer();

  const SettingsStore& store_;
  std::function<void()> mailerChanged_;
  std::uint32_t mailerKind_ = 0;

  QLineEdit* mailBox_;
  QPushButton* mailBoxBrowse_;
  QComboBox* mailer_;
  QLineEdit* mailerPath_;
  QPushButton* mailerBrowse_;
  QWidget* sentDaysField_;
  QLineEdit* sentDays_;
};

}  // namespace tarnwick
