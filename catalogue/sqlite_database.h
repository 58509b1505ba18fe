#pragma once
// A thin owner of one SQLite connection and its prepared statements, with
// SQLite's result codes turned into the catalogue's faults.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/catalogue_types.h"

namespace tallyfold {

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, std::string_view sql);
  ~Statement();
  Statement(Statement&& other) noexcept : statement_(other.statement_), db_(other.db_) {
    other.statement_ = nullptr;
  }
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool valid() const { return statement_ != nullptr; }
  Statement& bind(int index, int64_t value);
  Statement& bind(int index, std::string_view text);
  Statement& bindBlob(int index, std::string_view bytes);
  Statement& bindNull(int index);
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step();
  void reset();

  int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string_view text(int column) const;  // text or blob bytes
  bool isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

 private:
  sqlite3_stmt* statement_ = nullptr;
  sqlite3* db_ = nullptr;
};

class CatalogueDatabase {
 public:
  CatalogueDatabase() = default;
  ~CatalogueDatabase();
  CatalogueDatabase(const CatalogueDatabase&) = delete;
  CatalogueDatabase& operator=(const CatalogueDatabase&) = delete;

  // SQLITE_OK or the code of the failure.
  int open(const std::string& path, bool writable);
  sqlite3* handle() const { return db_; }

  Statement prepare(std::string_view sql) { return Statement(db_, sql); }
  // Runs statements that return no rows; SQLITE_OK or the failure's code.
  int execute(const char* sql);
  // The first column of the first row of a query, or fallback.
  int64_t number(const char* sql, int64_t fallback = 0);

  // The fault for a result code, with SQLite's own words and what was done.
  CatalogueError fault(int code, std::string_view doing) const;

 private:
  sqlite3* db_ = nullptr;
};

// What a result code means for the user.
CatalogueFault faultOfCode(int code);

// A transaction that rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(CatalogueDatabase& database) : database_(database) {}
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  // BEGIN IMMEDIATE: the write lock is taken at once, waiting for another
  // writer as long as the busy timeout allows.
  int begin();
  int commit();

 private:
  CatalogueDatabase& database_;
  bool open_ = false;
};

}  // namespace tallyfold
