#include "catalogue/catalogue.h"

#include <cerrno>
#include <cstdlib>

#include "catalogue/scan_writer.h"
#include "catalogue/schema.h"
#include "catalogue/sqlite_database.h"
#include "platform/app_folder.h"
#include "platform/file_facts.h"

namespace tallyfold {

namespace {

CatalogueError errorOf(CatalogueFault fault, std::string message) {
  return CatalogueError{fault, std::move(message)};
}

// Brings the file up to the current schema, or refuses it untouched. A file
// opened read-only that is older but readable as it is stays as it is.
bool prepareSchema(CatalogueDatabase& database, const std::string& path, bool writable,
                   CatalogueError& error) {
  int code = SQLITE_OK;
  const SchemaState state = schemaStateOf(database, code);
  const std::string named = "'" + path + "'";
  if (code != SQLITE_OK) {
    error = database.fault(code, "cannot open the catalogue " + named);
    return false;
  }
  if (state == SchemaState::Foreign) {
    error = errorOf(CatalogueFault::NotCatalogue, named + " is no catalogue; it was left as it is");
    return false;
  }
  if (state == SchemaState::Newer) {
    error = errorOf(CatalogueFault::NewerSchema,
                    named + " was made by a newer version of tallyfold; it was left as it is");
    return false;
  }
  if (state == SchemaState::Current) return true;
  if (!writable && state == SchemaState::OlderReadable) return true;
  if (!writable) {
    error = errorOf(CatalogueFault::ReadOnly,
                    named + " needs an update that a read-only catalogue cannot take");
    return false;
  }
  if (state == SchemaState::Empty) code = createFirstSchema(database);
  if (code == SQLITE_OK) code = migrateSchema(database);
  if (code != SQLITE_OK) {
    error = database.fault(code, "cannot prepare the catalogue " + named);
    return false;
  }
  return true;
}

std::string volumeText(const VolumeIdentity& volume) {
  if (!volume.label.empty()) return volume.label;
  if (!volume.uuid.empty()) return volume.uuid;
  return volume.mountPoint;
}

}  // namespace

std::string Catalogue::defaultPath() {
  return applicationFile("catalogue.sqlite");
}

Catalogue::Catalogue(std::string path, std::unique_ptr<CatalogueDatabase> database)
    : path_(std::move(path)), database_(std::move(database)) {}

Catalogue::~Catalogue() = default;

std::unique_ptr<Catalogue> Catalogue::open(const std::string& path, CatalogueAccess access,
                                           CatalogueError& error) {
  const auto facts = statPath(path);
  if (!facts && access == CatalogueAccess::ReadOnly) {
    error = errorOf(CatalogueFault::Missing, "there is no catalogue at '" + path + "'");
    return nullptr;
  }
  if (facts && facts->isDirectory) {
    error = errorOf(CatalogueFault::NotCatalogue, "'" + path + "' is a folder, no catalogue");
    return nullptr;
  }
  if (!facts && path == defaultPath()) ensureApplicationFolder();
  auto database = std::make_unique<CatalogueDatabase>();
  const bool writable = access == CatalogueAccess::ReadWrite;
  const int code = database->open(path, writable);
  if (code != SQLITE_OK) {
    error = database->fault(code, "cannot open the catalogue '" + path + "'");
    return nullptr;
  }
  if (!prepareSchema(*database, path, writable, error)) return nullptr;
  // WAL: a reader and a writer work at once, and a killed writer leaves
  // nothing but its uncommitted pages behind. Changing the mode writes,
  // which a read-only file refuses; it then stays as it is.
  if (writable) {
    database->execute("PRAGMA journal_mode = WAL");
    database->execute("PRAGMA synchronous = NORMAL");
  }
  database->execute("PRAGMA cache_size = -32768");
  database->execute("PRAGMA temp_store = MEMORY");
  // Reads through a mapping skip a system call and a copy per page: the
  // search of millions of names is mostly page reads.
  database->execute("PRAGMA mmap_size = 17179869184");
  return std::unique_ptr<Catalogue>(new Catalogue(path, std::move(database)));
}

bool Catalogue::listScans(std::vector<ScanSummary>& scans, CatalogueError& error) {
  scans.clear();
  Statement query = database_->prepare(
      "SELECT s.id, s.label, s.time, s.host, s.files, s.folders, s.bytes, s.columns,"
      " l.volume_label, l.volume_uuid, l.mount_point"
      " FROM scan s LEFT JOIN location l ON l.scan = s.id AND l.position = 0 ORDER BY s.id");
  int code;
  while ((code = query.step()) == SQLITE_ROW) {
    ScanSummary scan;
    scan.id = query.integer(0);
    scan.label = query.text(1);
    scan.time = query.integer(2);
    scan.host = query.text(3);
    scan.files = static_cast<uint64_t>(query.integer(4));
    scan.folders = static_cast<uint64_t>(query.integer(5));
    scan.bytes = static_cast<uint64_t>(query.integer(6));
    scan.columns = columnsOfBits(query.integer(7));
    VolumeIdentity volume{
        std::string(query.text(9)), std::string(query.text(8)), std::string(query.text(10)), {}};
    scan.volume = volumeText(volume);
    scans.push_back(std::move(scan));
  }
  if (code == SQLITE_DONE) return true;
  error = database_->fault(code, "cannot read the scans of '" + path_ + "'");
  return false;
}

bool Catalogue::scanInfo(int64_t scanId, ScanInfo& info, CatalogueError& error) {
  std::vector<ScanSummary> scans;
  if (!listScans(scans, error)) return false;
  info = ScanInfo{};
  for (ScanSummary& scan : scans) {
    if (scan.id == scanId) info.summary = std::move(scan);
  }
  if (info.summary.id != scanId) {
    error = errorOf(CatalogueFault::NoSuchScan, "there is no scan " + std::to_string(scanId));
    return false;
  }
  Statement query = database_->prepare(
      "SELECT folder, sub_folders, file_types, level, scanned, volume_uuid, volume_label,"
      " mount_point, fs_type FROM location WHERE scan = ? ORDER BY position");
  query.bind(1, scanId);
  int code;
  while ((code = query.step()) == SQLITE_ROW) {
    StoredLocation stored;
    stored.location.folder = query.text(0);
    stored.location.subFolders = query.integer(1) != 0;
    stored.location.fileTypes = query.text(2);
    stored.location.level = static_cast<int>(query.integer(3));
    stored.location.scanned = query.integer(4) != 0;
    stored.volume.uuid = query.text(5);
    stored.volume.label = query.text(6);
    stored.volume.mountPoint = query.text(7);
    stored.volume.fsType = query.text(8);
    info.locations.push_back(std::move(stored));
  }
  if (code == SQLITE_DONE) return true;
  error = database_->fault(code, "cannot read scan " + std::to_string(scanId));
  return false;
}

std::optional<int64_t> Catalogue::resolveScan(std::string_view idOrLabel, CatalogueError& error) {
  std::vector<ScanSummary> scans;
  if (!listScans(scans, error)) return std::nullopt;
  const std::string name(idOrLabel);
  char* end = nullptr;
  const long long number = std::strtoll(name.c_str(), &end, 10);
  if (!name.empty() && end != nullptr && *end == '\0') {
    for (const ScanSummary& scan : scans) {
      if (scan.id == number) return scan.id;
    }
  }
  std::vector<const ScanSummary*> matches;
  for (const ScanSummary& scan : scans) {
    if (scan.label == name) matches.push_back(&scan);
  }
  if (matches.size() == 1) return matches.front()->id;
  if (matches.empty()) {
    error = errorOf(CatalogueFault::NoSuchScan, "no scan has the id or label '" + name + "'");
    return std::nullopt;
  }
  std::string candidates;
  for (const ScanSummary* scan : matches) {
    candidates += (candidates.empty() ? "" : ", ") + std::to_string(scan->id);
  }
  error = errorOf(CatalogueFault::AmbiguousScan,
                  "the label '" + name + "' names several scans; choose one by id: " + candidates);
  return std::nullopt;
}

bool Catalogue::renameScan(int64_t scanId, std::string_view label, CatalogueError& error) {
  Statement update = database_->prepare("UPDATE scan SET label = ? WHERE id = ?");
  update.bind(1, label).bind(2, scanId);
  const int code = update.step();
  if (code != SQLITE_DONE) {
    error = database_->fault(code, "cannot rename scan " + std::to_string(scanId));
    return false;
  }
  if (sqlite3_changes(database_->handle()) == 0) {
    error = errorOf(CatalogueFault::NoSuchScan, "there is no scan " + std::to_string(scanId));
    return false;
  }
  return true;
}

bool Catalogue::removeScan(int64_t scanId, CatalogueError& error) {
  const std::string id = std::to_string(scanId);
  Transaction transaction(*database_);
  int code = transaction.begin();
  Statement range = database_->prepare("SELECT first_file, last_file FROM scan WHERE id = ?");
  range.bind(1, scanId);
  if (code == SQLITE_OK && range.step() != SQLITE_ROW) {
    error = errorOf(CatalogueFault::NoSuchScan, "there is no scan " + id);
    return false;
  }
  const std::string first = std::to_string(range.integer(0));
  const std::string last = std::to_string(range.integer(1));
  range = Statement();
  const std::string sql =
      "DELETE FROM file_detail WHERE file BETWEEN " + first + " AND " + last +
      "; DELETE FROM file WHERE id BETWEEN " + first + " AND " + last +
      "; DELETE FROM folder WHERE scan = " + id + "; DELETE FROM location WHERE scan = " + id +
      "; DELETE FROM scan WHERE id = " + id + "; DROP TABLE IF EXISTS " + nameIndexTable(scanId);
  if (code == SQLITE_OK) code = database_->execute(sql.c_str());
  if (code == SQLITE_OK) code = transaction.commit();
  if (code == SQLITE_OK) return true;
  error = database_->fault(code, "cannot remove scan " + id);
  return false;
}

}  // namespace tallyfold
