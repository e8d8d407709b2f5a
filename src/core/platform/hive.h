// A per-user hierarchical key/value store in one SQLite file, standing in for a registry hive.
//
// Keys have case-insensitive names (single-byte ASCII letters fold; CP932 double-byte characters
// are compared exactly), an unnamed default value (the value named "") and named values. A value
// is text (bytes of any content, kept byte for byte) or a 32-bit number. Every call is atomic on
// its own; a Transaction makes several calls one all-or-nothing change.
//
// A Key holds its own connection to the file. Keys opened from one another share it, so they must
// stay on one thread; another thread or another process opens its own top key and is kept apart
// by SQLite's file locking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::hive {

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kText = 1;
inline constexpr std::uint32_t kNumber = 4;

// Limits that keep a damaged or hostile file from making a reader take unbounded memory.
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::size_t kMaxValueBytes = std::size_t{1} << 20;

struct Value {
  std::uint32_t type = 0;
  std::string data;
};

// A value as a subkey's read gives it: its name folded as names compare.
struct NamedValue {
  std::string folded;
  Value value;
};

// A subkey with all its values, read at once.
struct SubkeyValues {
  std::string name;
  std::vector<NamedValue> values;  // in folded-name order

  // The value of that name, as QueryValue gives it.
  std::optional<Value> Find(std::string_view name) const;
};

class Connection;

class Key {
 public:
  Key() = default;  // a key that holds no handle: every operation fails

  bool IsOpen() const { return connection_ != nullptr; }

  // The subkey of that name; created when absent and `create` is set. A closed key on failure.
  Key OpenSubkey(std::string_view name, bool create) const;

  // The value, or nothing when it is absent, larger than kMaxValueBytes or unreadable.
  std::optional<Value> QueryValue(std::string_view name) const;
  bool SetValue(std::string_view name, std::uint32_t type, std::string_view data) const;

  // The names of the first `limit` subkeys, in a stable order (by folded name), in one pass.
  std::vector<std::string> SubkeyNames(std::size_t limit) const;
  std::optional<std::size_t> CountSubkeys() const;
  // The first `limit` subkeys as SubkeyNames orders them, each with its values, in one query: a
  // register of thousands of keys is read without a query per value. A value larger than
  // kMaxValueBytes is left out, as QueryValue leaves it out.
  std::vector<SubkeyValues> SubkeysWithValues(std::size_t limit) const;

  // Removes the subkey with all keys and values below it, in one step. True when it is gone
  // afterwards (also when it was never there).
  bool DeleteSubtree(std::string_view name) const;

 private:
  friend class Transaction;
  friend class Snapshot;
  friend Key OpenHive(const std::filesystem::path& file);
  Key(std::shared_ptr<Connection> connection, std::int64_t id)
      : connection_(std::move(connection)), id_(id) {}

  std::shared_ptr<Connection> connection_;
  std::int64_t id_ = 0;
};

// The top of the hive in that file, creating the file (mode 0600, with its folder) and a fresh
// hive when there is none. A closed key when the file can't be opened or is not a hive; a file
// that is not a hive is never written to.
Key OpenHive(const std::filesystem::path& file);

// What changes whenever anyone writes to the hive in that file: the file's identity, size and
// time, and the change counter SQLite moves with every committed write (which tells a write even
// where the size and a coarse clock stay). Nothing when the file can't be looked at.
std::optional<std::string> ChangeStamp(const std::filesystem::path& file);

// Several changes through keys of one connection as one: rolled back unless committed. Nested
// transactions become savepoints of the outer one.
class Transaction {
 public:
  explicit Transaction(const Key& key);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool active() const { return active_; }
  bool Commit();

 private:
  void Rollback();

  std::shared_ptr<Connection> connection_;
  bool nested_ = false;
  bool active_ = false;
};

// Many reads through keys of one connection as one: they see one state of the file, and the file
// is locked once for them rather than once for each. Nothing when a transaction is open already.
class Snapshot {
 public:
  explicit Snapshot(const Key& key);
  ~Snapshot();
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;

 private:
  std::shared_ptr<Connection> connection_;
  bool active_ = false;
};

}  // namespace tarnwick::hive
