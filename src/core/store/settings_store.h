// The program's access layer over its per-user hive: all persistent state lives below the key
// Software\Ombrel\Tarnwick. Failures are reported only through results; a key that holds no
// handle makes every read give its default, every write do nothing and CountKeys give -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/hive.h"

namespace tarnwick {

// Names a value; the empty name is the key's unnamed default value.
inline constexpr std::string_view kDefaultValue{};

class SettingsValues;

class SettingsKey {
 public:
  SettingsKey() = default;

  const std::string& name() const { return name_; }
  bool HasHandle() const { return key_.IsOpen(); }

  SettingsKey OpenKey(std::string_view name, bool create) const;
  SettingsKey CreateKey(std::string_view name) const { return OpenKey(name, true); }

  // Sets `out` to the stored text (up to a zero byte or the end of the stored bytes) when the
  // value exists and is not empty, otherwise to `fallback`. True when the value was read, also
  // when it was empty.
  bool ReadText(std::string_view value, std::string& out, std::string_view fallback) const;
  std::uint32_t ReadNumber(std::string_view value, std::uint32_t fallback) const;
  // True when the value exists but is not of that type (hive::kText, hive::kNumber): a reader
  // sees its fallback, and writing that back would lose what is stored.
  bool HoldsOtherThan(std::string_view value, std::uint32_t type) const;
  bool WriteText(std::string_view value, std::string_view text) const;
  bool WriteNumber(std::string_view value, std::uint32_t number) const;

  // The names of the first `limit` subkeys, in a stable order.
  std::vector<std::string> SubkeyNames(std::size_t limit) const;
  // The same subkeys, each with its values read at once.
  std::vector<SettingsValues> SubkeysWithValues(std::size_t limit) const;
  // The number of subkeys, or -1 when this key holds no handle.
  int CountKeys() const;
  // Deletes the subkey and everything below it; true when it is gone (or never existed).
  bool DeleteTree(std::string_view name) const;

 private:
  friend class SettingsStore;
  friend class SettingsTransaction;
  friend class SettingsSnapshot;
  SettingsKey(std::string name, hive::Key key) : name_(std::move(name)), key_(std::move(key)) {}

  std::string name_;
  hive::Key key_;
};

// The values of one key as read at once, read as SettingsKey reads them.
class SettingsValues {
 public:
  explicit SettingsValues(hive::SubkeyValues values) : values_(std::move(values)) {}

  const std::string& name() const { return values_.name; }
  bool ReadText(std::string_view value, std::string& out, std::string_view fallback) const;
  std::uint32_t ReadNumber(std::string_view value, std::uint32_t fallback) const;
  bool HoldsOtherThan(std::string_view value, std::uint32_t type) const;

 private:
  hive::SubkeyValues values_;
};

// The user's home folder: $HOME, else the password database's; empty when neither names one.
std::filesystem::path HomeFolder();

class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

  // The store of this user: the file named by TARNWICK_REGISTRY, else tarnwick/registry.db
  // under $XDG_CONFIG_HOME (default ~/.config).
  static SettingsStore FromEnvironment();

  const std::filesystem::path& file() const { return file_; }

  // Software\Ombrel\Tarnwick: "Software" must exist; the two keys below it are created.
  SettingsKey OpenRoot() const;
  // The same for reading only: nothing is created, and a store that has none of it gives a key
  // without a handle, which reads every fallback.
  SettingsKey ReadRoot() const;
  // True when the store opens (its file is a store, or a new one could be made).
  bool Opens() const;
  // hive::ChangeStamp of the store's file: the same stamp twice means nothing was written in
  // between, told without reading the store.
  std::optional<std::string> ChangeStamp() const;

 private:
  std::filesystem::path file_;
};

// Makes every write through keys opened from one root a single all-or-nothing change.
// Reads of one store as one: see hive::Snapshot.
class SettingsSnapshot {
 public:
  explicit SettingsSnapshot(const SettingsKey& key) : snapshot_(key.key_) {}

 private:
  hive::Snapshot snapshot_;
};

class SettingsTransaction {
 public:
  explicit SettingsTransaction(const SettingsKey& root) : tx_(root.key_) {}
  bool active() const { return tx_.active(); }
  bool Commit() { return tx_.Commit(); }

 private:
  hive::Transaction tx_;
};

}  // namespace tarnwick
