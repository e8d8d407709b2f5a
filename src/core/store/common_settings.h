// The program-wide settings under the key "Common", and the remembered paths of the outside
// mailers under "Path". Whoever needs them (the common-settings dialog, tarnwick-cli, a delivery
// run) loads them as one CommonSettings value at the moment of use, with the fixed fallbacks
// below; the same rules check them wherever they are changed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "core/platform/refusal.h"
#include "core/store/settings_store.h"

namespace tarnwick {

struct TextSetting {
  std::string_view name;
  std::string_view fallback;
};

struct NumberSetting {
  std::string_view name;
  std::uint32_t fallback;
  std::uint32_t min;
  std::uint32_t max;
  std::string_view label;  // how the window names it (UTF-8)
};

using CommonSetting = std::variant<TextSetting, NumberSetting>;

inline constexpr std::string_view kCommonKey = "Common";

// Empty (or missing) means the folder of DefaultMailBox() (store/mail_box.h).
inline constexpr TextSetting kMailBox{"MailBox", ""};
inline constexpr NumberSetting kMailer{"Mailer", 0, 0, 3, "送信方法"};
inline constexpr TextSetting kMailerPath{"MailerPath", ""};
inline constexpr NumberSetting kDialUp{"DialUp", 0, 0, 1, "ダイアルアップ接続"};
inline constexpr TextSetting kRasName{"RasName", ""};
inline constexpr TextSetting kSmtpServer{"SMTPServer", ""};
inline constexpr NumberSetting kSmtpPort{"SMTPPort", 25, 1, 65535, "ポート番号"};
// Today's mail servers: encryption (0 none, 1 STARTTLS, 2 TLS from the first byte) and login.
// A store without them speaks plain SMTP.
inline constexpr NumberSetting kSmtpSecurity{"SMTPSecurity", 0, 0, 2, "暗号化"};
inline constexpr NumberSetting kSmtpAuth{"SMTPAuth", 0, 0, 1, "ログイン"};
inline constexpr TextSetting kSmtpUser{"SMTPUser", ""};
inline constexpr TextSetting kSmtpPassword{"SMTPPassword", ""};
// The extended dialogue (EHLO, falling back to HELO where it is refused) and, where the server
// offers it, pipelining: a mail then costs two round trips instead of four. A store without it
// speaks plain HELO.
inline constexpr NumberSetting kSmtpExtended{"SMTPExtended", 0, 0, 1, "拡張SMTP"};
// How many days a delivered mail is kept among the sent mails; 0 removes it once delivered.
inline constexpr NumberSetting kSentDays{"SentDays", 90, 0, 3650, "送信済みﾒｰﾙの保存日数"};

// The administrator's mailbox, where the servers' replies arrive: IMAP, encrypted as the SMTP
// settings are (0 none, 1 STARTTLS, 2 TLS from the first byte), read only.
inline constexpr TextSetting kIncomingServer{"IncomingServer", ""};
inline constexpr NumberSetting kIncomingPort{"IncomingPort", 993, 1, 65535, "受信ポート番号"};
inline constexpr NumberSetting kIncomingSecurity{"IncomingSecurity", 2, 0, 2, "受信の暗号化"};
inline constexpr TextSetting kIncomingUser{"IncomingUser", ""};
inline constexpr TextSetting kIncomingPassword{"IncomingPassword", ""};
inline constexpr TextSetting kIncomingFolder{"IncomingFolder", "INBOX"};
inline constexpr NumberSetting kIncomingOnStart{"IncomingOnStart", 0, 0, 1, "起動時に受信"};

// Returned mails: an address whose deliveries failed only for the time being (a full mailbox) is
// proposed for removal once that has happened on this many different days.
inline constexpr NumberSetting kBounceDays{"BounceDays", 3, 1, 365,
                                           "一時的な不達で削除を提案する日数"};

// The administrator's own address, which a list added in the window starts with; empty or one
// plain address.
inline constexpr TextSetting kAdminAddress{"AdminAddress", ""};

// The notice a rejected poster is sent, with {list}, {subject} and {reason} in it; empty means
// the default text of the held answers (moderation/held_answer).
inline constexpr TextSetting kRejectTemplate{"RejectTemplate", ""};

// All of them, in the order they are written.
inline constexpr std::array<CommonSetting, 23> kCommonSettings{
    kMailBox,          kMailer,       kMailerPath,       kDialUp,         kRasName,
    kSmtpServer,       kSmtpPort,     kSmtpSecurity,     kSmtpAuth,       kSmtpUser,
    kSmtpPassword,     kSmtpExtended, kSentDays,         kIncomingServer, kIncomingPort,
    kIncomingSecurity, kIncomingUser, kIncomingPassword, kIncomingFolder, kIncomingOnStart,
    kBounceDays,       kAdminAddress, kRejectTemplate};

// How the settings pages name the fields that a refusal elsewhere points to (UTF-8): a run
// without an SMTP server tells where to fill it in, in the words of the page.
inline constexpr std::string_view kSmtpServerLabel = "SMTPｻｰﾊﾞ名";
inline constexpr std::string_view kAdminAddressLabel = "管理者ｱﾄﾞﾚｽ";
inline constexpr std::string_view kCommonSettingsPlace = "設定 → 共通設定";

// The settings that hold a password: never shown, and read from standard input when given as "-".
inline bool IsPasswordSetting(std::string_view name) {
  return name == kSmtpPassword.name || name == kIncomingPassword.name;
}

enum class SmtpSecurity : std::uint32_t { None = 0, StartTls = 1, Tls = 2 };

std::string ReadSetting(const SettingsKey& common, const TextSetting& setting);
std::uint32_t ReadSetting(const SettingsKey& common, const NumberSetting& setting);

// Nothing when the number (as parsed from what was typed; nothing when it was no number) is one
// the setting takes, or the reason, naming it (UTF-8). The window and tarnwick-cli both ask here.
Refusal CheckNumberSetting(const NumberSetting& setting, std::optional<std::uint32_t> number);

// The key "Common" for reading: nothing is created, so a reader never writes the store (a store
// without it reads every fallback).
SettingsKey ReadCommon(const SettingsStore& store);

// The mail box folder, the root of the queue, as the main window reads it at start: the default
// folder when the settings name none.
std::string ReadMailBox(const SettingsStore& store);

// Nothing when the text is empty or one plain address (local@domain), or the reason, naming the
// field (UTF-8).
Refusal CheckAdminAddress(std::string_view address);

// A first start: no list is registered and the settings name no mail box folder. The window then
// opens its guide to the settings by itself.
bool IsFirstStart(const SettingsStore& store, std::size_t registeredLists);

// A number as typed into a settings field: unsigned decimal digits, blanks around them allowed,
// no sign, at most 32 bits. Nothing for anything else.
std::optional<std::uint32_t> ParseUnsignedNumber(std::string_view text);

// The setting of that name (letter case ignored), or nullptr.
const CommonSetting* FindCommonSetting(std::string_view name);

// The settings as one value: loaded with their fallbacks (never writing the store),
// checked, and saved whole in one transaction.
class CommonSettings {
 public:
  static CommonSettings Load(const SettingsStore& store);

  // Whether the store holds the key "Common" at all.
  bool stored() const { return stored_; }
  const std::string& Text(const TextSetting& setting) const;
  std::uint32_t Number(const NumberSetting& setting) const;
  void Set(const TextSetting& setting, std::string cp932);
  void Set(const NumberSetting& setting, std::uint32_t number);

  // Whether a password is kept in the settings file itself, not in the secret service.
  bool HoldsPasswordsInTheFile() const;

  // Nothing, or the first value no setting may hold, named (UTF-8).
  Refusal Validate() const;
  // Every value, and the path of the chosen outside mailer under "Path", in one transaction;
  // false leaves the store as it was.
  bool Save(const SettingsStore& store) const;
  // The same under a root key already open: inside the caller's transaction, when it holds one.
  bool Save(const SettingsKey& root) const;

 private:
  // The password setting's value as the file keeps it, and its id in the secret service.
  std::pair<std::string, std::string> StoredSecret(std::string_view name, std::size_t index) const;

  std::array<std::string, kCommonSettings.size()> texts_;
  std::array<std::uint32_t, kCommonSettings.size()> numbers_{};
  // Passwords the secret service holds: their ids there (the file keeps "<name>Id"), and
  // whether each could be read back.
  std::array<std::string, kCommonSettings.size()> secretIds_;
  std::array<bool, kCommonSettings.size()> unavailable_{};
  bool stored_ = false;
};

// Nothing when a direct delivery has what it needs, or the reason, naming the field to fill in
// and where it is (UTF-8).
Refusal CheckSmtpSettings(const CommonSettings& settings);

// How the queue leaves the machine; any stored number other than 1-3 means direct SMTP.
enum class MailerKind : std::uint32_t { DirectSmtp = 0, Alsend = 1, Almail = 2, Scrivel = 3 };

MailerKind ToMailerKind(std::uint32_t stored);

// "alsend.exe", "almail.exe", "scrivel.exe"; empty for direct SMTP.
std::string_view MailerProgramName(MailerKind kind);

// The mailer path that choosing this kind suggests: the path remembered under "Path" in the key
// named after the kind's program, or the empty text (for direct SMTP, when nothing is
// remembered, or when that key has no default value). A bare Windows program name would name
// nothing here, so the administrator starts from an empty field.
std::string SuggestedMailerPath(const SettingsKey& root, MailerKind kind);

// Remembers the path of the outside mailer of kind 1 or 2 under "Path"; other kinds write
// nothing and report success.
bool RememberMailerPath(const SettingsKey& root, MailerKind kind, std::string_view path);

}  // namespace tarnwick
