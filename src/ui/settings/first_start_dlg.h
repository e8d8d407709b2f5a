// The guide of a first start: the few settings daily work needs — where mails are kept, the SMTP
// server, the administrator's address, the mailbox the servers' replies arrive in — on the
// controls of the common settings, checked by the same rules. It may be skipped, and is opened
// again from the 設定 menu.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "core/store/common_settings.h"
#include "ui/settings/admin_page.h"
#include "ui/settings/incoming_page.h"
#include "ui/settings/mail_box_page.h"
#include "ui/settings/smtp_page.h"

namespace tarnwick {

class CFirstStartDlg : public QDialog {
 public:
  explicit CFirstStartDlg(const SettingsStore& store, QWidget* parent = nullptr);

  // After 保存: the mail box folder as stored.
  const std::string& mailBox() const { return mailBox_; }

  void accept() override;

 private:
  QWidget* Section(const QString& title, QLayout* rows);
  void LayOut();
  void EnablePages();

  const SettingsStore& store_;
  std::string mailBox_;

  MailBoxPage mailBoxPage_;
  SmtpPage smtpPage_;
  AdminPage adminPage_;
  IncomingPage incomingPage_;
  // In the order their values are checked.
  const std::array<SettingsPage*, 4> pages_;
};

}  // namespace tarnwick
