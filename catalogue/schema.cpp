#include "catalogue/schema.h"

#include <string>

namespace tallyfold {

// Files are kept in path order (folder, then name bytes), so a scan's files
// are one range of ids and each folder's own files a range within it: no
// index on the file table is needed to list a folder or a scan. Each scan's
// names have their own trigram index (name_index_<id>), so removing a scan
// drops its index whole.
const char* const kFirstSchema = R"sql(
CREATE TABLE scan(
  id INTEGER PRIMARY KEY,
  label TEXT NOT NULL,
  time INTEGER NOT NULL,
  host TEXT NOT NULL,
  columns INTEGER NOT NULL,
  files INTEGER NOT NULL,
  folders INTEGER NOT NULL,
  bytes INTEGER NOT NULL,
  first_file INTEGER NOT NULL,
  last_file INTEGER NOT NULL
);
CREATE TABLE location(
  scan INTEGER NOT NULL,
  position INTEGER NOT NULL,
  folder BLOB NOT NULL,
  sub_folders INTEGER NOT NULL,
  file_types TEXT NOT NULL,
  level INTEGER NOT NULL,
  scanned INTEGER NOT NULL,
  volume_uuid TEXT NOT NULL,
  volume_label TEXT NOT NULL,
  mount_point BLOB NOT NULL,
  fs_type TEXT NOT NULL,
  PRIMARY KEY(scan, position)
) WITHOUT ROWID;
CREATE TABLE folder(
  id INTEGER PRIMARY KEY,
  scan INTEGER NOT NULL,
  parent INTEGER,
  path BLOB NOT NULL,
  walk_index INTEGER NOT NULL,
  record_index INTEGER,
  first_file INTEGER NOT NULL,
  file_count INTEGER NOT NULL,
  tree_files INTEGER NOT NULL,
  tree_bytes INTEGER NOT NULL
);
CREATE INDEX folder_parent ON folder(scan, parent);
CREATE TABLE file(
  id INTEGER PRIMARY KEY,
  folder INTEGER NOT NULL,
  name BLOB NOT NULL,
  size INTEGER NOT NULL,
  mtime INTEGER NOT NULL,
  attributes INTEGER NOT NULL,
  position INTEGER NOT NULL
);
CREATE TABLE file_detail(
  file INTEGER PRIMARY KEY,
  owner TEXT,
  version TEXT,
  crc32 TEXT,
  sha256 TEXT,
  title TEXT,
  artist TEXT,
  album TEXT,
  year TEXT,
  genre TEXT,
  comment TEXT
);
)sql";

namespace {

// The second version keeps where an imported scan came from.
constexpr const char* kToVersion2 = "ALTER TABLE scan ADD COLUMN source TEXT NOT NULL DEFAULT ''";

// The third keeps the media facts of each file, NULL where the file has none.
constexpr const char* kToVersion3 =
    "ALTER TABLE file_detail ADD COLUMN duration_ms INTEGER;"
    " ALTER TABLE file_detail ADD COLUMN bitrate INTEGER;"
    " ALTER TABLE file_detail ADD COLUMN sample_rate INTEGER;"
    " ALTER TABLE file_detail ADD COLUMN channels INTEGER;"
    " ALTER TABLE file_detail ADD COLUMN width INTEGER;"
    " ALTER TABLE file_detail ADD COLUMN height INTEGER;"
    " ALTER TABLE file_detail ADD COLUMN taken TEXT;"
    " ALTER TABLE file_detail ADD COLUMN camera TEXT;"
    " ALTER TABLE file_detail ADD COLUMN codec TEXT";

struct MigrationStep {
  int64_t toVersion;
  const char* sql;
};

constexpr MigrationStep kSteps[] = {
    {2, kToVersion2},
    {3, kToVersion3},
};

}  // namespace

SchemaState schemaStateOf(CatalogueDatabase& database, int& code) {
  Statement header = database.prepare(
      "SELECT (SELECT application_id FROM pragma_application_id),"
      " (SELECT user_version FROM pragma_user_version),"
      " (SELECT count(*) FROM sqlite_schema)");
  code = header.valid() ? header.step() : sqlite3_errcode(database.handle());
  if (code != SQLITE_ROW) return SchemaState::Foreign;
  code = SQLITE_OK;
  const int64_t applicationId = header.integer(0);
  const int64_t version = header.integer(1);
  const int64_t objects = header.integer(2);
  if (applicationId == 0 && version == 0 && objects == 0) return SchemaState::Empty;
  if (applicationId != kCatalogueApplicationId) return SchemaState::Foreign;
  if (version > kCatalogueSchemaVersion) return SchemaState::Newer;
  if (version < kOldestSchemaReadAsIs) return SchemaState::Older;
  if (version < kCatalogueSchemaVersion) return SchemaState::OlderReadable;
  return SchemaState::Current;
}

int createFirstSchema(CatalogueDatabase& database) {
  Transaction transaction(database);
  int code = transaction.begin();
  if (code == SQLITE_OK) code = database.execute(kFirstSchema);
  if (code == SQLITE_OK) {
    code = database.execute(("PRAGMA application_id = " + std::to_string(kCatalogueApplicationId) +
                             "; PRAGMA user_version = 1")
                                .c_str());
  }
  if (code == SQLITE_OK) code = transaction.commit();
  return code;
}

int migrateSchema(CatalogueDatabase& database) {
  Transaction transaction(database);
  int code = transaction.begin();
  if (code != SQLITE_OK) return code;
  // Read again inside the transaction: another program may have migrated
  // the file meanwhile.
  const int64_t version = database.number("PRAGMA user_version");
  for (const MigrationStep& step : kSteps) {
    if (step.toVersion <= version) continue;
    code = database.execute(step.sql);
    if (code != SQLITE_OK) return code;
    code = database.execute(("PRAGMA user_version = " + std::to_string(step.toVersion)).c_str());
    if (code != SQLITE_OK) return code;
  }
  return transaction.commit();
}

std::string nameIndexTable(int64_t scanId) {
  return "name_index_" + std::to_string(scanId);
}

}  // namespace tallyfold
