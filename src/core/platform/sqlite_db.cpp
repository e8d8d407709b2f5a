#include "core/platform/sqlite_db.h"

namespace tarnwick::sqlite {

std::unique_ptr<Database> Database::OpenExisting(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  // A connection never leaves the thread that opened it, so SQLite need not lock it on every
  // call (a register of thousands of lists makes hundreds of thousands of them).
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  return std::unique_ptr<Database>(new Database(db));
}

Database::~Database() {
  for (const auto& [sql, stmt] : idle_)
    sqlite3_finalize(stmt);
  sqlite3_close(db_);
}

sqlite3_stmt* Database::Checkout(const char* sql) {
  {
    const std::lock_guard<std::mutex> guard(idleLock_);
    if (const auto idle = idle_.find(std::string_view(sql)); idle != idle_.end()) {
      sqlite3_stmt* stmt = idle->second;
      idle_.erase(idle);
      return stmt;
    }
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

void Database::Return(const char* sql, sqlite3_stmt* stmt) {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  const std::lock_guard<std::mutex> guard(idleLock_);
  if (!idle_.emplace(sql, stmt).second) sqlite3_finalize(stmt);
}

bool Database::Execute(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement::Statement(Database& db, const char* sql)
    : db_(db), sql_(sql), stmt_(db.Checkout(sql)), failed_(stmt_ == nullptr) {}

Statement::~Statement() {
  if (stmt_ != nullptr) db_.Return(sql_, stmt_);
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (stmt_ && sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) failed_ = true;
  return *this;
}

Statement& Statement::Bind(int index, std::string_view bytes) {
  // A zero-length blob must still be a blob, not NULL: pass a valid pointer.
  const void* data = bytes.empty() ? "" : bytes.data();
  if (stmt_ &&
      sqlite3_bind_blob64(stmt_, index, data, bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
    failed_ = true;
  }
  return *this;
}

bool Statement::Row() {
  if (!stmt_ || failed_) return false;
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) failed_ = true;
  return false;
}

bool Statement::Run() {
  while (Row()) {
  }
  return !failed_;
}

std::int64_t Statement::Int(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string Statement::Bytes(int column) const {
  const void* data = sqlite3_column_blob(stmt_, column);
  const int size = sqlite3_column_bytes(stmt_, column);
  if (data == nullptr || size <= 0) return {};
  return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

}  // namespace tarnwick::sqlite
