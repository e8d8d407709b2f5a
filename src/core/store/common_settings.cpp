#include "core/store/common_settings.h"

#include "core/platform/cp932_case.h"
#include "core/platform/mail_address.h"
#include "core/platform/secret_store.h"
#include "core/platform/whole_number.h"
#include "core/store/mail_box.h"

namespace tarnwick {
namespace {

constexpr std::string_view kPathKey = "Path";
// "SMTPPasswordId": the id of the password in the secret service, kept beside the value.
constexpr std::string_view kSecretIdSuffix = "Id";

}  // namespace

std::string ReadSetting(const SettingsKey& common, const TextSetting& setting) {
  std::string text;
  common.ReadText(setting.name, text, setting.fallback);
  return setting.name == kMailBox.name ? MailBoxOrDefault(std::move(text)) : text;
}

std::uint32_t ReadSetting(const SettingsKey& common, const NumberSetting& setting) {
  return common.ReadNumber(setting.name, setting.fallback);
}

Refusal CheckNumberSetting(const NumberSetting& setting, std::optional<std::uint32_t> number) {
  if (number && *number >= setting.min && *number <= setting.max) return std::nullopt;
  return std::string(setting.label) + " (" + std::string(setting.name) + ") には" +
         std::to_string(setting.min) + "から" + std::to_string(setting.max) +
         "までの整数を入力してください";
}

SettingsKey ReadCommon(const SettingsStore& store) {
  return store.ReadRoot().OpenKey(kCommonKey, false);
}

std::string ReadMailBox(const SettingsStore& store) {
  return ReadSetting(ReadCommon(store), kMailBox);
}

Refusal CheckAdminAddress(std::string_view address) {
  if (address.empty() || IsPlainAddress(address, DomainRule::Dotted)) return std::nullopt;
  return std::string(kAdminAddressLabel) + " (" + std::string(kAdminAddress.name) +
         ") にはｱﾄﾞﾚｽを1つ、local@domain の形で入力してください";
}

bool IsFirstStart(const SettingsStore& store, std::size_t registeredLists) {
  std::string stored;
  ReadCommon(store).ReadText(kMailBox.name, stored, "");
  return registeredLists == 0 && stored.empty();
}

Refusal CheckSmtpSettings(const CommonSettings& settings) {
  if (!settings.Text(kSmtpServer).empty()) return std::nullopt;
  return std::string(kSmtpServerLabel) + "が設定されていません。" +
         std::string(kCommonSettingsPlace) + "の「" + std::string(kSmtpServerLabel) +
         "」に送信に使うSMTPｻｰﾊﾞｰを入力してください";
}

std::optional<std::uint32_t> ParseUnsignedNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  return WholeNumber<std::uint32_t>(text);
}

namespace {

std::size_t IndexOf(std::string_view name) {
  for (std::size_t i = 0; i < kCommonSettings.size(); ++i) {
    if (std::visit([](const auto& s) { return s.name; }, kCommonSettings[i]) == name) return i;
  }
  return 0;  // every setting passed in is one of the table's
}

}  // namespace

CommonSettings CommonSettings::Load(const SettingsStore& store) {
  CommonSettings settings;
  const SettingsKey common = ReadCommon(store);
  settings.stored_ = common.HasHandle();
  for (std::size_t i = 0; i < kCommonSettings.size(); ++i) {
    if (const auto* text = std::get_if<TextSetting>(&kCommonSettings[i])) {
      settings.texts_[i] = ReadSetting(common, *text);
      if (IsPasswordSetting(text->name)) {
        common.ReadText(std::string(text->name) + std::string(kSecretIdSuffix),
                        settings.secretIds_[i], "");
        if (!settings.secretIds_[i].empty()) {
          const std::optional<std::string> password = secrets::Lookup(settings.secretIds_[i]);
          settings.texts_[i] = password.value_or("");
          settings.unavailable_[i] = !password;
        }
      }
    } else {
      settings.numbers_[i] = ReadSetting(common, std::get<NumberSetting>(kCommonSettings[i]));
    }
  }
  return settings;
}

const std::string& CommonSettings::Text(const TextSetting& setting) const {
  return texts_[IndexOf(setting.name)];
}

std::uint32_t CommonSettings::Number(const NumberSetting& setting) const {
  return numbers_[IndexOf(setting.name)];
}

void CommonSettings::Set(const TextSetting& setting, std::string cp932) {
  texts_[IndexOf(setting.name)] = std::move(cp932);
}

void CommonSettings::Set(const NumberSetting& setting, std::uint32_t number) {
  numbers_[IndexOf(setting.name)] = number;
}

bool CommonSettings::HoldsPasswordsInTheFile() const {
  for (std::size_t i = 0; i < kCommonSettings.size(); ++i) {
    const auto* text = std::get_if<TextSetting>(&kCommonSettings[i]);
    if (text != nullptr && IsPasswordSetting(text->name) && !texts_[i].empty() &&
        secretIds_[i].empty()) {
      return true;
    }
  }
  return false;
}

Refusal CommonSettings::Validate() const {
  for (std::size_t i = 0; i < kCommonSettings.size(); ++i) {
    const auto* number = std::get_if<NumberSetting>(&kCommonSettings[i]);
    if (number == nullptr) continue;
    if (Refusal refusal = CheckNumberSetting(*number, numbers_[i])) return refusal;
  }
  return CheckAdminAddress(Text(kAdminAddress));
}

std::pair<std::string, std::string> CommonSettings::StoredSecret(std::string_view name,
                                                                 std::size_t index) const {
  const std::string& password = texts_[index];
  if (password.empty()) return {"", unavailable_[index] ? secretIds_[index] : std::string()};
  if (!secrets::Available()) return {password, ""};
  const std::string id = secretIds_[index].empty() ? secrets::NewId() : secretIds_[index];
  if (!secrets::Store(id, "Tarnwick: " + std::string(name), password)) return {password, ""};
  return {"", id};
}

bool CommonSettings::Save(const SettingsStore& store) const {
  return Save(store.OpenRoot());
}

bool CommonSettings::Save(const SettingsKey& root) const {
  SettingsTransaction transaction(root);
  const SettingsKey common = root.CreateKey(kCommonKey);
  bool written = transaction.active() &&
                 RememberMailerPath(root, ToMailerKind(Number(kMailer)), Text(kMailerPath));
  for (std::size_t i = 0; i < kCommonSettings.size() && written; ++i) {
    if (const auto* text = std::get_if<TextSetting>(&kCommonSettings[i])) {
      if (!IsPasswordSetting(text->name)) {
        written = common.WriteText(text->name, texts_[i]);
        continue;
      }
      const auto [password, id] = StoredSecret(text->name, i);
      written = common.WriteText(text->name, password) &&
                common.WriteText(std::string(text->name) + std::string(kSecretIdSuffix), id);
    } else {
      written = common.WriteNumber(std::get<NumberSetting>(kCommonSettings[i]).name, numbers_[i]);
    }
  }
  return written && transaction.Commit();
}

const CommonSetting* FindCommonSetting(std::string_view name) {
  for (const CommonSetting& setting : kCommonSettings) {
    const std::string_view settingName = std::visit([](const auto& s) { return s.name; }, setting);
    if (EqualsCp932IgnoreCase(settingName, name)) return &setting;
  }
  return nullptr;
}

MailerKind ToMailerKind(std::uint32_t stored) {
  return stored >= 1 && stored <= 3 ? static_cast<MailerKind>(stored) : MailerKind::DirectSmtp;
}

std::string_view MailerProgramName(MailerKind kind) {
  switch (kind) {
    case MailerKind::Alsend:
      return "alsend.exe";
    case MailerKind::Almail:
      return "almail.exe";
    case MailerKind::Scrivel:
      return "scrivel.exe";
    case MailerKind::DirectSmtp:
      break;
  }
  return {};
}

std::string SuggestedMailerPath(const SettingsKey& root, MailerKind kind) {
  const std::string_view program = MailerProgramName(kind);
  std::string path;
  if (program.empty()) return path;
  const SettingsKey remembered = root.OpenKey(kPathKey, false).OpenKey(program, false);
  if (remembered.HasHandle()) remembered.ReadText(kDefaultValue, path, "");
  return path;
}

bool RememberMailerPath(const SettingsKey& root, MailerKind kind, std::string_view path) {
  if (kind != MailerKind::Alsend && kind != MailerKind::Almail) return true;
  return root.CreateKey(kPathKey).CreateKey(MailerProgramName(kind)).WriteText(kDefaultValue, path);
}

}  // namespace tarnwick
