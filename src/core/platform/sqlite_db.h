// Thin RAII wrappers over the SQLite C interface: a connection and a prepared statement.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::sqlite {

class Database {
 public:
  // Opens an existing database file for reading and writing; never creates one.
  static std::unique_ptr<Database> OpenExisting(const std::filesystem::path& file);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return db_; }
  bool Execute(const char* sql);  // one or more statements without parameters
  bool InTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

 private:
  friend class Statement;
  explicit Database(sqlite3* db) : db_(db) {}
  // Compiling a statement costs more than running it: each SQL text is compiled once and its
  // statement kept between uses (one idle statement per text; a second one in use at the same
  // time is compiled for that use). Guarded: a connection may serve several threads.
  sqlite3_stmt* Checkout(const char* sql);
  void Return(const char* sql, sqlite3_stmt* stmt);

  sqlite3* db_;
  std::mutex idleLock_;
  std::map<std::string, sqlite3_stmt*, std::less<>> idle_;
};

class Statement {
 public:
  Statement(Database& db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, std::string_view bytes);  // bound as a BLOB, byte for byte

  // Steps once: true when a row is ready; false when done or on failure (see failed()).
  bool Row();
  // Runs a statement that returns no rows; true on success.
  bool Run();
  bool failed() const { return failed_; }

  std::int64_t Int(int column) const;
  std::string Bytes(int column) const;
  bool IsNull(int column) const;

 private:
  Database& db_;
  const char* sql_;
  sqlite3_stmt* stmt_ = nullptr;
  bool failed_ = false;
};

}  // namespace tarnwick::sqlite
