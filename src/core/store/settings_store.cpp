#include "core/store/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace tarnwick {
namespace {

std::string LittleEndian(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return bytes;
}

std::uint32_t FromLittleEndian(std::string_view bytes) {
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i)
    number = (number << 8) | static_cast<unsigned char>(bytes[i]);
  return number;
}

// How a stored value reads, whether it came by one query or with all of its key's values.
bool TextOf(const std::optional<hive::Value>& stored, std::string& out, std::string_view fallback) {
  if (!stored || stored->type != hive::kText) {
    out = fallback;
    return false;
  }
  std::string_view text(stored->data);
  text = text.substr(0, text.find('\0'));
  out = text.empty() ? fallback : text;
  return true;
}

std::uint32_t NumberOf(const std::optional<hive::Value>& stored, std::uint32_t fallback) {
  if (!stored || stored->type != hive::kNumber || stored->data.size() != 4) return fallback;
  return FromLittleEndian(stored->data);
}

bool OtherThan(const std::optional<hive::Value>& stored, std::uint32_t type) {
  return stored && (stored->type != type || (type == hive::kNumber && stored->data.size() != 4));
}

}  // namespace

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return {};
}

SettingsKey SettingsKey::OpenKey(std::string_view name, bool create) const {
  hive::Key subkey = key_.OpenSubkey(name, create);
  if (!subkey.IsOpen()) return {};
  return SettingsKey(std::string(name), std::move(subkey));
}

bool SettingsKey::ReadText(std::string_view value, std::string& out,
                           std::string_view fallback) const {
  return TextOf(key_.QueryValue(value), out, fallback);
}

std::uint32_t SettingsKey::ReadNumber(std::string_view value, std::uint32_t fallback) const {
  return NumberOf(key_.QueryValue(value), fallback);
}

bool SettingsKey::HoldsOtherThan(std::string_view value, std::uint32_t type) const {
  return OtherThan(key_.QueryValue(value), type);
}

bool SettingsValues::ReadText(std::string_view value, std::string& out,
                              std::string_view fallback) const {
  return TextOf(values_.Find(value), out, fallback);
}

std::uint32_t SettingsValues::ReadNumber(std::string_view value, std::uint32_t fallback) const {
  return NumberOf(values_.Find(value), fallback);
}

bool SettingsValues::HoldsOtherThan(std::string_view value, std::uint32_t type) const {
  return OtherThan(values_.Find(value), type);
}

bool SettingsKey::WriteText(std::string_view value, std::string_view text) const {
  return key_.SetValue(value, hive::kText, text);
}

bool SettingsKey::WriteNumber(std::string_view value, std::uint32_t number) const {
  return key_.SetValue(value, hive::kNumber, LittleEndian(number));
}

std::vector<std::string> SettingsKey::SubkeyNames(std::size_t limit) const {
  return key_.SubkeyNames(limit);
}

std::vector<SettingsValues> SettingsKey::SubkeysWithValues(std::size_t limit) const {
  std::vector<SettingsValues> keys;
  for (hive::SubkeyValues& values : key_.SubkeysWithValues(limit))
    keys.emplace_back(std::move(values));
  return keys;
}

int SettingsKey::CountKeys() const {
  const std::optional<std::size_t> count = key_.CountSubkeys();
  return count ? static_cast<int>(*count) : -1;
}

bool SettingsKey::DeleteTree(std::string_view name) const {
  return key_.DeleteSubtree(name);
}

SettingsStore SettingsStore::FromEnvironment() {
  const char* explicitFile = std::getenv("TARNWICK_REGISTRY");
  if (explicitFile != nullptr && *explicitFile != '\0') return SettingsStore(explicitFile);
  std::filesystem::path config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') {
    config = xdg;
  } else if (const std::filesystem::path home = HomeFolder(); !home.empty()) {
    config = home / ".config";
  }
  return SettingsStore(config.empty() ? config : config / "tarnwick" / "registry.db");
}

SettingsKey SettingsStore::ReadRoot() const {
  const hive::Key tarnwick = hive::OpenHive(file_)
                                 .OpenSubkey("Software", false)
                                 .OpenSubkey("Ombrel", false)
                                 .OpenSubkey("Tarnwick", false);
  if (!tarnwick.IsOpen()) return {};
  return SettingsKey("Tarnwick", tarnwick);
}

bool SettingsStore::Opens() const {
  return hive::OpenHive(file_).OpenSubkey("Software", false).IsOpen();
}

SettingsKey SettingsStore::OpenRoot() const {
  const hive::Key software = hive::OpenHive(file_).OpenSubkey("Software", false);
  const hive::Key tarnwick = software.OpenSubkey("Ombrel", true).OpenSubkey("Tarnwick", true);
  if (!tarnwick.IsOpen()) return {};
  return SettingsKey("Tarnwick", tarnwick);
}

std::optional<std::string> SettingsStore::ChangeStamp() const {
  return hive::ChangeStamp(file_);
}

}  // namespace tarnwick
