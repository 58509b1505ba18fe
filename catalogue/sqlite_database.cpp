#include "catalogue/sqlite_database.h"

namespace tallyfold {

namespace {

// How long a writer waits for another writer's transaction to end.
constexpr int kBusyTimeoutMs = 30000;

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &statement_, nullptr) != SQLITE_OK) {
    statement_ = nullptr;
  }
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    statement_ = other.statement_;
    db_ = other.db_;
    other.statement_ = nullptr;
  }
  return *this;
}

Statement& Statement::bind(int index, int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
  // A zero-length blob, not NULL: an empty name is still a name.
  sqlite3_bind_blob(statement_, index, bytes.empty() ? "" : bytes.data(),
                    static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bindNull(int index) {
  sqlite3_bind_null(statement_, index);
  return *this;
}

int Statement::step() {
  return statement_ ? sqlite3_step(statement_) : SQLITE_MISUSE;
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

std::string_view Statement::text(int column) const {
  const void* bytes = sqlite3_column_blob(statement_, column);
  const int size = sqlite3_column_bytes(statement_, column);
  if (bytes == nullptr) return {};
  return {static_cast<const char*>(bytes), static_cast<size_t>(size)};
}

CatalogueDatabase::~CatalogueDatabase() {
  sqlite3_close_v2(db_);
}

int CatalogueDatabase::open(const std::string& path, bool writable) {
  const int flags = (writable ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
                    SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  if (code != SQLITE_OK) return code;
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  return SQLITE_OK;
}

int CatalogueDatabase::execute(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
}

int64_t CatalogueDatabase::number(const char* sql, int64_t fallback) {
  Statement query(db_, sql);
  if (query.step() != SQLITE_ROW) return fallback;
  return query.integer(0);
}

CatalogueFault faultOfCode(int code) {
  switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return CatalogueFault::None;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
      return CatalogueFault::NotCatalogue;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
      return CatalogueFault::ReadOnly;
    case SQLITE_FULL:
      return CatalogueFault::Full;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return CatalogueFault::Busy;
    case SQLITE_INTERRUPT:
      return CatalogueFault::Cancelled;
    case SQLITE_IOERR:
      // A write that found no room is an I/O error of its own kind.
      return code == SQLITE_IOERR_WRITE || code == SQLITE_IOERR_FSYNC ? CatalogueFault::Full
                                                                      : CatalogueFault::Other;
    default:
      return CatalogueFault::Other;
  }
}

CatalogueError CatalogueDatabase::fault(int code, std::string_view doing) const {
  CatalogueError error;
  error.fault = faultOfCode(code);
  if (error.fault == CatalogueFault::None) error.fault = CatalogueFault::Other;
  error.message = std::string(doing) + ": ";
  switch (error.fault) {
    case CatalogueFault::NotCatalogue:
      error.message += "the file is no catalogue, or it is damaged";
      break;
    case CatalogueFault::Full:
      error.message += "the disk is full";
      break;
    case CatalogueFault::ReadOnly:
      error.message += "the catalogue cannot be written";
      break;
    case CatalogueFault::Busy:
      error.message += "another program keeps the catalogue locked";
      break;
    case CatalogueFault::Cancelled:
      error.message += "cancelled";
      return error;
    default:
      error.message += db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
      return error;
  }
  error.message += std::string(" (") + sqlite3_errstr(code) + ")";
  return error;
}

Transaction::~Transaction() {
  if (open_) database_.execute("ROLLBACK");
}

int Transaction::begin() {
  const int code = database_.execute("BEGIN IMMEDIATE");
  open_ = code == SQLITE_OK;
  return code;
}

int Transaction::commit() {
  const int code = database_.execute("COMMIT");
  if (code == SQLITE_OK) open_ = false;
  return code;
}

}  // namespace tallyfold
