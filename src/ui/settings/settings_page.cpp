#include "ui/settings/settings_page.h"

#include <QComboBox>
#include <QLineEdit>

#include "ui/platform/modal.h"
#include "ui/platform/qt_text.h"
#include "ui/platform/screen_fit.h"

namespace tarnwick {

SettingsWriter& SettingsWriter::Text(const TextSetting& setting, QLineEdit& field) {
  if (outcome_) return *this;
  QString offending;
  std::optional<std::string> cp932 = ToCp932(field.text(), &offending);
  if (cp932) {
    settings_.Set(setting, std::move(*cp932));
  } else {
    outcome_ = PageRefusal{UnrepresentableTextMessage(offending), &field};
  }
  return *this;
}

SettingsWriter& SettingsWriter::Number(const NumberSetting& setting, QLineEdit& field) {
  if (outcome_) return *this;
  const std::optional<std::uint32_t> number = ParseUnsignedNumber(field.text().toStdString());
  if (const Refusal refusal = CheckNumberSetting(setting, number)) {
    outcome_ = PageRefusal{
        number ? QString::fromStdString(*refusal) : QStringLiteral("正の整数を入力してください。"),
        &field};
  } else {
    settings_.Set(setting, *number);
  }
  return *this;
}

SettingsWriter& SettingsWriter::Set(const NumberSetting& setting, std::uint32_t number) {
  if (!outcome_) settings_.Set(setting, number);
  return *this;
}

SettingsWriter& SettingsWriter::Set(const TextSetting& setting, std::string cp932) {
  if (!outcome_) settings_.Set(setting, std::move(cp932));
  return *this;
}

std::optional<CommonSettings> SavePages(QWidget* dialog, const SettingsStore& store,
                                        std::span<SettingsPage* const> pages) {
  CommonSettings settings = CommonSettings::Load(store);
  for (const SettingsPage* page : pages) {
    if (const PageOutcome refusal = page->Store(settings)) {
      ShowMessage(dialog, kProgramCaption, refusal->message);
      FocusField(*refusal->field);
      return std::nullopt;
    }
  }
  if (const Refusal refusal = settings.Validate()) {
    ShowMessage(dialog, kProgramCaption, QString::fromStdString(*refusal));
    return std::nullopt;
  }
  // Every value goes, or none does; a store that fails keeps the previous settings.
  if (!settings.Save(store)) {
    ShowMessage(dialog, kProgramCaption, QStringLiteral("共通設定を保存できませんでした"));
    return std::nullopt;
  }
  return settings;
}

QComboBox* SecurityChoice(const char* name) {
  auto* choice = new QComboBox;
  choice->setObjectName(QString::fromLatin1(name));
  choice->addItems({QStringLiteral("なし"), QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS")});
  choice->setToolTip(QStringLiteral(
      "ｻｰﾊﾞｰとの通信の暗号化。STARTTLS は接続してから、SSL/TLS は最初から暗号化します"));
  return choice;
}

}  // namespace tarnwick
