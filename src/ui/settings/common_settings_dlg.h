// "共通設定": the mail box folder, how mail leaves (direct SMTP or an outside mailer), the SMTP
// server, port and dialogue, the dial-up connection, and how long sent mails are kept. Reads the
// stored values when it opens and writes them, all at once, when it closes with OK.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

#include "core/store/common_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

class CCommonSettingsDlg : public QDialog {
 public:
  explicit CCommonSettingsDlg(const SettingsStore& store, QWidget* parent = nullptr);

  // After OK: the mail box folder as stored.
  const std::string& mailBox() const { return mailBox_; }

  void accept() override;

 private:
  void BuildControls();
  QWidget* BuildIncoming();
  void LoadSettings();
  void UpdateEnables();
  void OnMailerChanged(int index);
  void BrowseMailBox();
  void BrowseMailer();
  void OnSecurityChanged(int index);
  bool SaveSettings();
  // The number typed into the field, when the setting takes it; else the refusal is shown, the
  // field gets the focus, and nothing.
  std::optional<std::uint32_t> TypedNumber(QLineEdit& field, const NumberSetting& setting);

  const SettingsStore& store_;
  std::uint32_t mailerKind_ = 0;
  std::string mailBox_;

  QLineEdit* mailBoxEdit_;
  QComboBox* mailer_;
  QLineEdit* mailerPath_;
  QPushButton* mailerBrowse_;
  QLabel* serverLabel_;
  QLineEdit* server_;
  QLabel* portLabel_;
  QLineEdit* port_;
  QWidget* portSpin_;       // the port field with its arrows
  bool portTyped_ = false;  // the user edited the port here: a security mode won't replace it
  QLabel* securityLabel_;
  QComboBox* security_;
  QCheckBox* authenticate_;
  QCheckBox* extended_;
  QLabel* userLabel_;
  QLineEdit* user_;
  QLabel* passwordLabel_;
  QLineEdit* password_;
  QCheckBox* dialUp_;
  QLabel* entryLabel_;
  QComboBox* entry_;
  QLineEdit* sentDays_;
  QLineEdit* incomingServer_;
  QLineEdit* incomingPort_;
  QComboBox* incomingSecurity_;
  QLineEdit* incomingUser_;
  QLineEdit* incomingPassword_;
  QLineEdit* incomingFolder_;
  QCheckBox* incomingOnStart_;
};

}  // namespace tarnwick
