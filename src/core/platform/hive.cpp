#include "core/platform/hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unordered_map>

#include "core/platform/cp932_case.h"
#include "core/platform/sqlite_db.h"

namespace tarnwick::hive {

class Connection {
 public:
  explicit Connection(std::unique_ptr<sqlite::Database> db) : db_(std::move(db)) {}
  sqlite::Database& db() { return *db_; }

 private:
  std::unique_ptr<sqlite::Database> db_;
};

namespace {

namespace fs = std::filesystem;

// Marks a SQLite file as a hive ("TWKH"), so that no other database is ever taken for one.
constexpr std::int64_t kApplicationId = 0x54574B48;
constexpr std::int64_t kSchemaVersion = 1;
constexpr std::int64_t kTopKeyId = 1;
constexpr int kBusyTimeoutMs = 5000;

// A fresh hive has a "Software" key under its top, as a user's registry hive always does.
constexpr char kSchema[] = R"sql(
CREATE TABLE hive_keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  parent INTEGER REFERENCES hive_keys(id),
  name BLOB NOT NULL,
  folded BLOB NOT NULL,
  UNIQUE(parent, folded));
CREATE TABLE hive_values(
  key INTEGER NOT NULL REFERENCES hive_keys(id) ON DELETE CASCADE,
  name BLOB NOT NULL,
  folded BLOB NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded)) WITHOUT ROWID;
INSERT INTO hive_keys(id, parent, name, folded) VALUES(1, NULL, x'', x'');
INSERT INTO hive_keys(parent, name, folded)
  VALUES(1, CAST('Software' AS BLOB), CAST('software' AS BLOB));
PRAGMA application_id = 1415007048;
PRAGMA user_version = 1;
)sql";

enum class FileKind { Hive, Empty, Foreign };

std::optional<FileKind> Inspect(sqlite::Database& db) {
  sqlite::Statement appId(db, "PRAGMA application_id");
  if (!appId.Row()) return std::nullopt;
  if (appId.Int(0) == kApplicationId) {
    sqlite::Statement version(db, "PRAGMA user_version");
    if (!version.Row()) return std::nullopt;
    return version.Int(0) == kSchemaVersion ? FileKind::Hive : FileKind::Foreign;
  }
  sqlite::Statement objects(db, "SELECT count(*) FROM sqlite_schema");
  if (!objects.Row()) return std::nullopt;
  return objects.Int(0) == 0 ? FileKind::Empty : FileKind::Foreign;
}

// Lays out a fresh hive in an empty database. Another process may be doing the same at this
// moment: the write lock is taken first and the file looked at again under it.
bool Initialise(sqlite::Database& db) {
  if (!db.Execute("BEGIN IMMEDIATE")) return false;
  const std::optional<FileKind> kind = Inspect(db);
  bool ok = kind == FileKind::Hive;
  if (kind == FileKind::Empty) ok = db.Execute(kSchema);
  ok = ok && db.Execute("COMMIT");
  if (!ok) db.Execute("ROLLBACK");
  return ok;
}

// Creates the file, readable by its owner only (it holds passwords), unless it exists.
bool EnsureFileExists(const fs::path& file) {
  std::error_code ec;
  const fs::path folder = file.parent_path();
  if (!folder.empty() && !fs::exists(folder, ec)) {
    if (!fs::create_directories(folder, ec)) return false;
    fs::permissions(folder, fs::perms::owner_all, ec);
  }
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return errno == EEXIST;
}

bool NameFits(std::string_view name) {
  return name.size() <= kMaxNameBytes;
}

}  // namespace

Key OpenHive(const fs::path& file) {
  if (file.empty() || !EnsureFileExists(file)) return {};
  std::unique_ptr<sqlite::Database> db = sqlite::Database::OpenExisting(file);
  if (!db) return {};
  sqlite3_busy_timeout(db->handle(), kBusyTimeoutMs);
  // A password replaced (or moved to the secret service) leaves no copy in the file's free pages.
  if (!db->Execute("PRAGMA foreign_keys = ON; PRAGMA secure_delete = ON")) return {};
  const std::optional<FileKind> kind = Inspect(*db);
  // An empty file reached through a link is somebody else's: it is never made into a hive.
  std::error_code ec;
  if (kind == FileKind::Empty && fs::is_symlink(file, ec)) return {};
  if (kind == FileKind::Empty ? !Initialise(*db) : kind != FileKind::Hive) return {};
  return Key(std::make_shared<Connection>(std::move(db)), kTopKeyId);
}

std::optional<std::string> ChangeStamp(const fs::path& file) {
  // The database header's change counter: bytes 24 to 27.
  constexpr off_t kCounterOffset = 24;
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  char counter[4] = {};
  const bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    ::pread(fd, counter, sizeof counter, kCounterOffset) >= 0;
  ::close(fd);
  if (!read) return std::nullopt;
  std::string stamp;
  for (const long long part :
       {static_cast<long long>(info.st_dev), static_cast<long long>(info.st_ino),
        static_cast<long long>(info.st_size), static_cast<long long>(info.st_mtim.tv_sec),
        static_cast<long long>(info.st_mtim.tv_nsec)})
    stamp += std::to_string(part) + ' ';
  return stamp.append(counter, sizeof counter);
}

Key Key::OpenSubkey(std::string_view name, bool create) const {
  if (!IsOpen() || name.empty() || !NameFits(name)) return {};
  sqlite::Database& db = connection_->db();
  const std::string folded = FoldCp932Case(name);
  if (create) {
    sqlite::Statement insert(db,
                             "INSERT INTO hive_keys(parent, name, folded) VALUES(?1, ?2, ?3) "
                             "ON CONFLICT(parent, folded) DO NOTHING");
    if (!insert.Bind(1, id_).Bind(2, name).Bind(3, folded).Run()) return {};
  }
  sqlite::Statement find(db, "SELECT id FROM hive_keys WHERE parent = ?1 AND folded = ?2");
  if (!find.Bind(1, id_).Bind(2, folded).Row()) return {};
  return Key(connection_, find.Int(0));
}

std::optional<Value> Key::QueryValue(std::string_view name) const {
  if (!IsOpen() || !NameFits(name)) return std::nullopt;
  // length() of a blob is read from the record header, so an oversized value is refused
  // without being loaded.
  sqlite::Statement query(connection_->db(),
                          "SELECT type, length(data), "
                          "CASE WHEN length(data) <= ?3 THEN data END "
                          "FROM hive_values WHERE key = ?1 AND folded = ?2");
  query.Bind(1, id_).Bind(2, FoldCp932Case(name)).Bind(3, std::int64_t{kMaxValueBytes});
  if (!query.Row() || query.IsNull(2)) return std::nullopt;
  const std::int64_t type = query.Int(0);
  if (type < 0 || type > UINT32_MAX) return std::nullopt;
  return Value{static_cast<std::uint32_t>(type), query.Bytes(2)};
}

bool Key::SetValue(std::string_view name, std::uint32_t type, std::string_view data) const {
  if (!IsOpen() || !NameFits(name) || data.size() > kMaxValueBytes) return false;
  sqlite::Statement upsert(
      connection_->db(),
      "INSERT INTO hive_values(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
      "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  return upsert.Bind(1, id_)
      .Bind(2, name)
      .Bind(3, FoldCp932Case(name))
      .Bind(4, std::int64_t{type})
      .Bind(5, data)
      .Run();
}

std::vector<std::string> Key::SubkeyNames(std::size_t limit) const {
  std::vector<std::string> names;
  if (!IsOpen()) return names;
  sqlite::Statement query(connection_->db(),
                          "SELECT name FROM hive_keys WHERE parent = ?1 ORDER BY folded LIMIT ?2");
  query.Bind(1, id_).Bind(2, static_cast<std::int64_t>(limit));
  while (query.Row())
    names.push_back(query.Bytes(0));
  return names;
}

std::vector<SubkeyValues> Key::SubkeysWithValues(std::size_t limit) const {
  if (!IsOpen()) return {};
  // No ORDER BY over the joined rows: sorting 100,000s of values in SQLite's temporary tree
  // costs ten times the read. The keys and their values are put in order here instead.
  sqlite::Statement query(connection_->db(),
                          "SELECT k.id, k.name, k.folded, v.folded, v.type, "
                          "CASE WHEN length(v.data) <= ?3 THEN v.data END "
                          "FROM (SELECT id, name, folded FROM hive_keys WHERE parent = ?1 "
                          "      ORDER BY folded LIMIT ?2) k "
                          "LEFT JOIN hive_values v ON v.key = k.id");
  query.Bind(1, id_).Bind(2, static_cast<std::int64_t>(limit));
  query.Bind(3, std::int64_t{kMaxValueBytes});
  std::vector<std::pair<std::string, SubkeyValues>> keys;  // each with its folded name
  std::unordered_map<std::int64_t, std::size_t> placeOf;
  while (query.Row()) {
    const auto [place, added] = placeOf.try_emplace(query.Int(0), keys.size());
    if (added) keys.push_back({query.Bytes(2), SubkeyValues{query.Bytes(1), {}}});
    const std::int64_t type = query.Int(4);
    if (query.IsNull(3) || query.IsNull(5) || type < 0 || type > UINT32_MAX) continue;
    keys[place->second].second.values.push_back(
        {query.Bytes(3), Value{static_cast<std::uint32_t>(type), query.Bytes(5)}});
  }
  std::sort(keys.begin(), keys.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<SubkeyValues> ordered;
  ordered.reserve(keys.size());
  for (auto& [folded, key] : keys) {
    std::sort(key.values.begin(), key.values.end(),
              [](const NamedValue& a, const NamedValue& b) { return a.folded < b.folded; });
    ordered.push_back(std::move(key));
  }
  return ordered;
}

std::optional<Value> SubkeyValues::Find(std::string_view name) const {
  if (!NameFits(name)) return std::nullopt;
  const std::string folded = FoldCp932Case(name);  // a value's name is short: no allocation
  const auto found = std::lower_bound(
      values.begin(), values.end(), folded,
      [](const NamedValue& value, const std::string& key) { return value.folded < key; });
  if (found == values.end() || found->folded != folded) return std::nullopt;
  return found->value;
}

std::optional<std::size_t> Key::CountSubkeys() const {
  if (!IsOpen()) return std::nullopt;
  sqlite::Statement query(connection_->db(), "SELECT count(*) FROM hive_keys WHERE parent = ?1");
  if (!query.Bind(1, id_).Row()) return std::nullopt;
  return static_cast<std::size_t>(query.Int(0));
}

bool Key::DeleteSubtree(std::string_view name) const {
  if (!IsOpen() || name.empty() || !NameFits(name)) return false;
  // One statement, so the tree goes whole or not at all. UNION (not UNION ALL) ends the walk
  // even on a damaged file whose parent links form a loop.
  sqlite::Statement remove(connection_->db(),
                           "WITH RECURSIVE tree(id) AS ("
                           "  SELECT id FROM hive_keys WHERE parent = ?1 AND folded = ?2"
                           "  UNION SELECT k.id FROM hive_keys k JOIN tree t ON k.parent = t.id)"
                           "DELETE FROM hive_keys WHERE id IN tree");
  return remove.Bind(1, id_).Bind(2, FoldCp932Case(name)).Run();
}

Transaction::Transaction(const Key& key) : connection_(key.connection_) {
  if (!connection_) return;
  sqlite::Database& db = connection_->db();
  nested_ = db.InTransaction();
  // IMMEDIATE takes the write lock at once, so two writers queue up instead of deadlocking.
  active_ = db.Execute(nested_ ? "SAVEPOINT hive_tx" : "BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
  if (active_) Rollback();
}

bool Transaction::Commit() {
  if (!active_) return false;
  active_ = false;
  if (connection_->db().Execute(nested_ ? "RELEASE hive_tx" : "COMMIT")) return true;
  Rollback();
  return false;
}

void Transaction::Rollback() {
  active_ = false;
  connection_->db().Execute(nested_ ? "ROLLBACK TO hive_tx; RELEASE hive_tx" : "ROLLBACK");
}

Snapshot::Snapshot(const Key& key) : connection_(key.connection_) {
  if (!connection_ || connection_->db().InTransaction()) return;
  active_ = connection_->db().Execute("BEGIN DEFERRED");
}

Snapshot::~Snapshot() {
  if (active_) connection_->db().Execute("COMMIT");
}

}  // namespace tarnwick::hive
