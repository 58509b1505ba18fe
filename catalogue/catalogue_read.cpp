#include <algorithm>
#include <unordered_map>

#include "catalogue/catalogue.h"
#include "catalogue/detail_fields.h"
#include "catalogue/schema.h"
#include "catalogue/sqlite_database.h"
#include "platform/path_text.h"

namespace tallyfold {

namespace {

struct StoredFolder {
  int64_t id = 0;
  int64_t parent = 0;  // 0 for a top folder
  std::string path;
  int64_t walkIndex = 0;
  int64_t recordIndex = -1;
  int64_t firstFile = 0;
  int64_t fileCount = 0;
  uint32_t storeIndex = 0;
  std::vector<size_t> children;  // places in the folder list
};

bool isBelow(std::string_view path, std::string_view top) {
  return path.starts_with(top);
}

// The folders of a scan, or of the subtree of one of its folders, in the
// order the walk stored them.
int readFolders(CatalogueDatabase& db, int64_t scanId, int64_t topFolder,
                std::vector<StoredFolder>& folders) {
  Statement query = db.prepare(
      "SELECT id, coalesce(parent, 0), path, walk_index, coalesce(record_index, -1), first_file,"
      " file_count FROM folder WHERE scan = ? ORDER BY walk_index");
  query.bind(1, scanId);
  int code;
  std::string top;
  if (topFolder != 0) {
    Statement path = db.prepare("SELECT path FROM folder WHERE id = ? AND scan = ?");
    path.bind(1, topFolder).bind(2, scanId);
    if (path.step() != SQLITE_ROW) return SQLITE_NOTFOUND;
    top = path.text(0);
  }
  while ((code = query.step()) == SQLITE_ROW) {
    StoredFolder folder;
    folder.path = query.text(2);
    if (!top.empty() && !isBelow(folder.path, top)) continue;
    folder.id = query.integer(0);
    folder.parent = folder.id == topFolder ? 0 : query.integer(1);
    folder.walkIndex = query.integer(3);
    folder.recordIndex = query.integer(4);
    folder.firstFile = query.integer(5);
    folder.fileCount = query.integer(6);
    folders.push_back(std::move(folder));
  }
  return code == SQLITE_DONE ? SQLITE_OK : code;
}

// Rebuilds the walk's record order: a folder's record, then its files up to
// the place of its next sub-folder's record, that sub-folder's whole
// subtree, and so on.
class RecordOrder {
 public:
  RecordOrder(std::vector<StoredFolder>& folders, const RecordStore& store)
      : folders_(folders), store_(store) {}

  std::vector<RecordRef> build() {
    std::unordered_map<int64_t, size_t> placeOf;
    for (size_t i = 0; i < folders_.size(); ++i) placeOf[folders_[i].id] = i;
    std::vector<size_t> tops;
    for (size_t i = 0; i < folders_.size(); ++i) {
      const auto parent = placeOf.find(folders_[i].parent);
      if (folders_[i].parent == 0 || parent == placeOf.end()) {
        tops.push_back(i);
      } else {
        folders_[parent->second].children.push_back(i);
      }
    }
    for (StoredFolder& folder : folders_) {
      std::sort(folder.children.begin(), folder.children.end(), [this](size_t a, size_t b) {
        return folders_[a].walkIndex < folders_[b].walkIndex;
      });
    }
    for (size_t top : tops) {
      base_ = folders_[top].recordIndex >= 0 ? folders_[top].recordIndex : 0;
      emitTree(top);
    }
    return std::move(records_);
  }

 private:
  struct Frame {
    size_t folder;
    uint32_t nextFile = 0;
    size_t nextChild = 0;
  };

  int64_t position() const { return base_ + static_cast<int64_t>(records_.size()); }

  void enter(size_t place) {
    const StoredFolder& folder = folders_[place];
    if (folder.recordIndex >= 0) {
      records_.push_back(RecordRef{folder.storeIndex, RecordRef::kFolderRecord});
    }
    stack_.push_back(Frame{place});
  }

  void emitTree(size_t top) {
    enter(top);
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      const StoredFolder& folder = folders_[frame.folder];
      const uint32_t count = store_.folder(folder.storeIndex).fileCount();
      const bool childLeft = frame.nextChild < folder.children.size();
      const int64_t childAt =
          childLeft ? folders_[folder.children[frame.nextChild]].recordIndex : -1;
      while (frame.nextFile < count && (!childLeft || childAt < 0 || position() < childAt)) {
        records_.push_back(RecordRef{folder.storeIndex, frame.nextFile++});
      }
      if (childLeft) {
        enter(folder.children[frame.nextChild++]);  // invalidates frame
      } else {
        stack_.pop_back();
      }
    }
  }

  std::vector<StoredFolder>& folders_;
  const RecordStore& store_;
  std::vector<RecordRef> records_;
  std::vector<Frame> stack_;
  int64_t base_ = 0;
};

// The details query: the media facts as NULLs from an older file read as it is.
std::string detailsQuery(bool holdsMedia) {
  const char* const media = holdsMedia
                                ? "duration_ms, bitrate, sample_rate, channels, width, height,"
                                  " taken, camera, codec"
                                : "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL";
  return std::string(
             "SELECT file, owner, version, crc32, sha256, title, artist, album, year, genre,"
             " comment, ") +
         media + " FROM file_detail WHERE file BETWEEN ? AND ?";
}

uint32_t factOf(const Statement& row, int column) {
  return static_cast<uint32_t>(row.integer(column));
}

// A NULL column reads as an empty text or a zero fact.
FileDetails detailsOfRow(const Statement& row) {
  FileDetails details;
  int column = 1;
  for (std::string* text : detailTextsOf(details)) *text = row.text(column++);
  for (uint32_t* number : mediaNumbersOf(details)) *number = factOf(row, column++);
  for (std::string* text : mediaTextsOf(details)) *text = row.text(column++);
  return details;
}

bool isCancelled(const CancelFlag* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

}  // namespace

bool Catalogue::children(int64_t scanId, int64_t folderId, FolderChildren& children,
                         CatalogueError& error) {
  children = FolderChildren{};
  Statement folders = database_->prepare(
      "SELECT id, path, tree_files, tree_bytes,"
      " EXISTS(SELECT 1 FROM folder c WHERE c.scan = f.scan AND c.parent = f.id)"
      " FROM folder f WHERE f.scan = ?1 AND"
      " (CASE WHEN ?2 = 0 THEN f.parent IS NULL ELSE f.parent = ?2 END) ORDER BY f.path");
  folders.bind(1, scanId).bind(2, folderId);
  int code;
  while ((code = folders.step()) == SQLITE_ROW) {
    FolderNode node;
    node.id = folders.integer(0);
    const std::string_view path = withoutTrailingSlash(folders.text(1));
    const size_t slash = path.find_last_of('/');
    node.name = folderId == 0 || slash == std::string_view::npos || path == "/"
                    ? std::string(path)
                    : std::string(path.substr(slash + 1));
    node.files = static_cast<uint64_t>(folders.integer(2));
    node.bytes = static_cast<uint64_t>(folders.integer(3));
    node.hasSubFolders = folders.integer(4) != 0;
    children.folders.push_back(std::move(node));
  }
  if (code == SQLITE_DONE && folderId != 0) {
    Statement files = database_->prepare(
        "SELECT f.name, f.size, f.mtime, f.attributes FROM folder d JOIN file f"
        " ON f.id BETWEEN d.first_file AND d.first_file + d.file_count - 1"
        " WHERE d.id = ? AND d.scan = ? ORDER BY f.id");
    files.bind(1, folderId).bind(2, scanId);
    while ((code = files.step()) == SQLITE_ROW) {
      children.files.push_back(FileNode{std::string(files.text(0)),
                                        static_cast<uint64_t>(files.integer(1)), files.integer(2),
                                        static_cast<uint8_t>(files.integer(3))});
    }
  }
  if (code == SQLITE_DONE) return true;
  error = database_->fault(code, "cannot read the folders of scan " + std::to_string(scanId));
  return false;
}

bool Catalogue::loadScan(int64_t scanId, int64_t folderId, StoredScan& stored,
                         const CancelFlag* cancel, CatalogueError& error) {
  stored = StoredScan{};
  if (!scanInfo(scanId, stored.info, error)) return false;
  std::vector<StoredFolder> folders;
  database_->execute("BEGIN");
  int code = readFolders(*database_, scanId, folderId, folders);
  if (code == SQLITE_NOTFOUND) {
    database_->execute("COMMIT");
    error = CatalogueError{
        CatalogueFault::NoSuchScan,
        "scan " + std::to_string(scanId) + " has no folder " + std::to_string(folderId)};
    return false;
  }
  if (folderId != 0 && !folders.empty()) {
    ScanLocation location =
        stored.info.locations.empty() ? ScanLocation{} : stored.info.locations.front().location;
    location.folder = std::string(withoutTrailingSlash(folders.front().path));
    stored.info.locations.assign(1, StoredLocation{location, {}});
  }
  Statement files = database_->prepare(
      "SELECT id, name, size, mtime, attributes, position FROM file WHERE id BETWEEN ? AND ?");
  // Asked inside the read: another program may have migrated an older file
  // read as it is since it was opened.
  const bool holdsMedia = schemaHoldsMedia(database_->number("PRAGMA user_version"));
  Statement details = database_->prepare(detailsQuery(holdsMedia));
  const bool withDetails = stored.info.summary.columns.any();
  RecordStore& store = stored.scan.store;
  struct Row {
    int64_t id;
    std::string_view name;
    FileEntry facts;
    uint32_t position;
  };
  std::vector<Row> rows;
  std::vector<std::string> names;
  for (StoredFolder& folder : folders) {
    if (code != SQLITE_OK) break;
    if (isCancelled(cancel)) {
      code = SQLITE_INTERRUPT;
      break;
    }
    folder.storeIndex = store.addFolder(folder.path);
    const int64_t last = folder.firstFile + folder.fileCount - 1;
    files.bind(1, folder.firstFile).bind(2, last);
    rows.clear();
    names.clear();
    names.reserve(static_cast<size_t>(folder.fileCount));
    while ((code = files.step()) == SQLITE_ROW) {
      FileEntry facts;
      facts.size = static_cast<uint64_t>(files.integer(2));
      facts.mtime = files.integer(3);
      facts.attributes = static_cast<uint8_t>(files.integer(4));
      names.emplace_back(files.text(1));
      rows.push_back(Row{files.integer(0), {}, facts, static_cast<uint32_t>(files.integer(5))});
    }
    files.reset();
    code = code == SQLITE_DONE ? SQLITE_OK : code;
    for (size_t i = 0; i < rows.size(); ++i) rows[i].name = names[i];
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.position < b.position; });
    std::unordered_map<int64_t, uint32_t> fileOf;
    for (const Row& row : rows) {
      const uint32_t index = store.addFile(folder.storeIndex, row.name, row.facts);
      if (withDetails) fileOf[row.id] = index;
    }
    if (withDetails && code == SQLITE_OK && !rows.empty()) {
      details.bind(1, folder.firstFile).bind(2, last);
      while ((code = details.step()) == SQLITE_ROW) {
        const auto file = fileOf.find(details.integer(0));
        if (file != fileOf.end()) {
          stored.details.keep(RecordRef{folder.storeIndex, file->second}, detailsOfRow(details));
        }
      }
      details.reset();
      code = code == SQLITE_DONE ? SQLITE_OK : code;
    }
  }
  database_->execute("COMMIT");
  if (code != SQLITE_OK) {
    error = database_->fault(code, "cannot read scan " + std::to_string(scanId));
    return false;
  }
  stored.scan.records = RecordOrder(folders, store).build();
  return true;
}

bool Catalogue::loadCatalog(int64_t scanId, Catalog& catalog, const CancelFlag* cancel,
                            CatalogueError& error) {
  ScanInfo info;
  if (!scanInfo(scanId, info, error)) return false;
  for (const StoredLocation& location : info.locations) {
    if (location.location.scanned) catalog.addRoot(location.location.folder);
  }
  database_->execute("BEGIN");
  std::unordered_map<int64_t, std::string> paths;
  Statement folders = database_->prepare("SELECT id, path FROM folder WHERE scan = ?");
  folders.bind(1, scanId);
  int code;
  while ((code = folders.step()) == SQLITE_ROW) paths[folders.integer(0)] = folders.text(1);
  Statement files = database_->prepare(
      "SELECT f.folder, f.name, f.size, f.mtime, d.crc32 FROM scan s JOIN file f"
      " ON f.id BETWEEN s.first_file AND s.last_file LEFT JOIN file_detail d ON d.file = f.id"
      " WHERE s.id = ? ORDER BY f.id");
  files.bind(1, scanId);
  uint64_t count = 0;
  while (code == SQLITE_DONE && (code = files.step()) == SQLITE_ROW) {
    if (++count % 4096 == 0 && isCancelled(cancel)) {
      code = SQLITE_INTERRUPT;
      break;
    }
    catalog.add(paths[files.integer(0)], files.text(1), static_cast<uint64_t>(files.integer(2)),
                files.integer(3), parseCrcText(files.text(4)));
    code = SQLITE_DONE;
  }
  database_->execute("COMMIT");
  if (code == SQLITE_DONE) return true;
  error = database_->fault(code, "cannot read scan " + std::to_string(scanId));
  return false;
}

std::optional<CompareCounts> Catalogue::compareScans(int64_t olderScan, int64_t newerScan,
                                                     const ChangeVisitor& visit,
                                                     const CancelFlag* cancel,
                                                     CatalogueError& error) {
  Catalog older, newer;
  if (!loadCatalog(olderScan, older, cancel, error) ||
      !loadCatalog(newerScan, newer, cancel, error)) {
    return std::nullopt;
  }
  if (older.roots().size() == 1 && newer.roots().size() == 1) {
    older.useKeysBelowRoot();
    newer.useKeysBelowRoot();
  }
  older.sortByKey();
  newer.sortByKey();
  if (isCancelled(cancel)) {
    error = CatalogueError{CatalogueFault::Cancelled, "cancelled"};
    return std::nullopt;
  }
  return compareCatalogs(older, newer, visit);
}

}  // namespace tallyfold
