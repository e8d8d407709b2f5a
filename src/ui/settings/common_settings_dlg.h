// "共通設定": the pages of the common settings — the mail box folder and how mail leaves, the
// SMTP server, the dial-up connection, the mailbox the replies arrive in — in one window. Reads
// the stored values when it opens and writes them, all at once, when it closes with OK.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "core/store/common_settings.h"
#include "ui/settings/admin_page.h"
#include "ui/settings/dial_up_page.h"
#include "ui/settings/incoming_page.h"
#include "ui/settings/mail_box_page.h"
#include "ui/settings/smtp_page.h"

namespace tarnwick {

class CCommonSettingsDlg : public QDialog {
 public:
  explicit CCommonSettingsDlg(const SettingsStore& store, QWidget* parent = nullptr);

  // After OK: the mail box folder as stored.
  const std::string& mailBox() const { return mailBox_; }

  void accept() override;

 private:
  void LayOut();
  void EnablePages();

  const SettingsStore& store_;
  std::string mailBox_;

  MailBoxPage mailBoxPage_;
  AdminPage adminPage_;
  SmtpPage smtpPage_;
  DialUpPage dialUpPage_;
  IncomingPage incomingPage_;
  // In the order their values are checked.
  const std::array<SettingsPage*, 5> pages_;
};

}  // namespace tarnwick
