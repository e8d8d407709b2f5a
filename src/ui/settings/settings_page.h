// A page of the common settings: its controls, copied from a CommonSettings and back. The pages
// share the rules of the core: what they cannot store is refused in the core's words.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

#include "core/store/common_settings.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace tarnwick {

// The up-down arrows of a port field cover 0 to 32767; typing goes beyond.
inline constexpr int kPortStepMax = 32767;

// Why a page's values can't be stored: the words for the user and the field to correct.
struct PageRefusal {
  QString message;
  QWidget* field;
};
using PageOutcome = std::optional<PageRefusal>;

class SettingsPage {
 public:
  virtual ~SettingsPage() = default;

  virtual void Load(const CommonSettings& settings) = 0;
  // Copies the controls into `settings`: nothing, or the refusal of the first value that can't
  // be stored (the values before it may then be copied).
  virtual PageOutcome Store(CommonSettings& settings) const = 0;
  // Enables the controls that apply when mail leaves by direct SMTP, or by an outside mailer.
  virtual void EnableFor(bool /*directSmtp*/) {}
};

// Copies typed values into settings in turn; after the first refusal it copies nothing more.
class SettingsWriter {
 public:
  explicit SettingsWriter(CommonSettings& settings) : settings_(settings) {}

  // The field's text in CP932, refused when it holds a character CP932 can't hold.
  SettingsWriter& Text(const TextSetting& setting, QLineEdit& field);
  // The number typed into the field, refused by the setting's rule.
  SettingsWriter& Number(const NumberSetting& setting, QLineEdit& field);
  // A value the controls can only hold as the setting takes it (a check box, a choice).
  SettingsWriter& Set(const NumberSetting& setting, std::uint32_t number);
  SettingsWriter& Set(const TextSetting& setting, std::string cp932);

  const PageOutcome& outcome() const { return outcome_; }

 private:
  CommonSettings& settings_;
  PageOutcome outcome_;
};

// Copies the pages, in turn, over the stored settings, checks them by the core's rules and saves
// them whole: the settings saved, or nothing once the first refusal was shown over `dialog`
// (its field then has the focus) and the store kept as it was.
std::optional<CommonSettings> SavePages(QWidget* dialog, const SettingsStore& store,
                                        std::span<SettingsPage* const> pages);

// The choice of encryption, as SMTPSecurity and IncomingSecurity number it.
QComboBox* SecurityChoice(const char* name);

}  // namespace tarnwick
