#include "catalogue/scan_writer.h"
#include "catalogue/detail_fields.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "catalogue/name_pattern.h"
#include "catalogue/schema.h"
#include "platform/path_text.h"

namespace tallyfold {

namespace {

bool cancelled(const CancelFlag* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

// One folder as stored, in path order.
struct FolderRow {
  uint32_t storeIndex = 0;
  int64_t parent = -1;  // rank of the parent folder, -1 for a top folder
  int64_t recordIndex = -1;
  uint64_t treeFiles = 0;
  uint64_t treeBytes = 0;
};

std::string_view parentPath(std::string_view path) {
  if (path.size() <= 1) return {};
  const size_t slash = path.find_last_of('/', path.size() - 2);
  if (slash == std::string_view::npos) return {};
  return path.substr(0, slash + 1);
}

// The folders in path order, each with its parent and subtree totals.
std::vector<FolderRow> folderRowsOf(const ScanResult& result) {
  const RecordStore& store = result.store;
  std::vector<FolderRow> rows(store.folderCount());
  for (uint32_t i = 0; i < store.folderCount(); ++i) rows[i].storeIndex = i;
  std::stable_sort(rows.begin(), rows.end(), [&store](const FolderRow& a, const FolderRow& b) {
    return store.folder(a.storeIndex).path < store.folder(b.storeIndex).path;
  });
  std::vector<int64_t> rankOfStore(store.folderCount());
  std::unordered_map<std::string_view, int64_t> rankOfPath;
  for (size_t rank = 0; rank < rows.size(); ++rank) {
    rankOfStore[rows[rank].storeIndex] = static_cast<int64_t>(rank);
    rankOfPath[store.folder(rows[rank].storeIndex).path] = static_cast<int64_t>(rank);
  }
  for (size_t rank = 0; rank < rows.size(); ++rank) {
    const auto parent = rankOfPath.find(parentPath(store.folder(rows[rank].storeIndex).path));
    if (parent != rankOfPath.end() && parent->second < static_cast<int64_t>(rank)) {
      rows[rank].parent = parent->second;
    }
  }
  for (size_t i = 0; i < result.records.size(); ++i) {
    const RecordRef record = result.records[i];
    if (record.isFolderRecord())
      rows[rankOfStore[record.folder]].recordIndex = static_cast<int64_t>(i);
  }
  // Children come after their parents in path order: one pass backwards
  // carries every subtree's totals up.
  for (size_t rank = rows.size(); rank-- > 0;) {
    FolderRow& row = rows[rank];
    for (const FileEntry& file : store.folder(row.storeIndex).files()) {
      row.treeBytes += file.size;
      ++row.treeFiles;
    }
    if (row.parent >= 0) {
      rows[row.parent].treeFiles += row.treeFiles;
      rows[row.parent].treeBytes += row.treeBytes;
    }
  }
  return rows;
}

std::string defaultLabel(const NewScan& scan) {
  if (!scan.label.empty()) return scan.label;
  if (scan.locations.empty()) return "scan";
  const StoredLocation& first = scan.locations.front();
  if (!first.volume.label.empty()) return first.volume.label;
  const std::string_view folder = withoutTrailingSlash(first.location.folder);
  const size_t slash = folder.find_last_of('/');
  const std::string_view last = slash == std::string_view::npos ? folder : folder.substr(slash + 1);
  return last.empty() ? std::string(folder) : std::string(last);
}

class ScanWrite {
 public:
  ScanWrite(CatalogueDatabase& database, const NewScan& scan, const ScanResult& result,
            DetailFeed* details, const CancelFlag* cancel)
      : db_(database), scan_(scan), result_(result), details_(details), cancel_(cancel) {}

  std::optional<int64_t> run(CatalogueError& error) {
    Transaction transaction(db_);
    int code = transaction.begin();
    if (code == SQLITE_OK) code = writeAll();
    if (code == SQLITE_OK && cancelled(cancel_)) code = SQLITE_INTERRUPT;
    if (code == SQLITE_OK) code = transaction.commit();
    if (code == SQLITE_OK) return scanId_;
    error = db_.fault(code, "cannot add the scan");
    return std::nullopt;
  }

 private:
  int writeAll() {
    const std::vector<FolderRow> folders = folderRowsOf(result_);
    const int64_t firstFolder = db_.number("SELECT coalesce(max(id), 0) + 1 FROM folder");
    const int64_t firstFile = db_.number("SELECT coalesce(max(id), 0) + 1 FROM file");
    uint64_t files = 0, bytes = 0;
    for (const FolderRow& row : folders) {
      if (row.parent < 0) {
        files += row.treeFiles;
        bytes += row.treeBytes;
      }
    }
    int code = writeScanRow(firstFile, firstFile + static_cast<int64_t>(files) - 1, files, bytes,
                            folders.size());
    if (code == SQLITE_OK) code = writeLocations();
    if (code == SQLITE_OK) code = createNameIndex();
    if (code == SQLITE_OK) code = writeFolders(folders, firstFolder, firstFile);
    return code;
  }

  int writeScanRow(int64_t firstFile, int64_t lastFile, uint64_t files, uint64_t bytes,
                   size_t folders) {
    Statement insert = db_.prepare(
        "INSERT INTO scan(label, time, host, columns, files, folders, bytes, first_file,"
        " last_file, source) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.bind(1, defaultLabel(scan_))
        .bind(2, scan_.time)
        .bind(3, scan_.host)
        .bind(4, columnBits(scan_.columns))
        .bind(5, static_cast<int64_t>(files))
        .bind(6, static_cast<int64_t>(folders))
        .bind(7, static_cast<int64_t>(bytes))
        .bind(8, firstFile)
        .bind(9, lastFile)
        .bind(10, scan_.source);
    const int code = insert.step();
    scanId_ = sqlite3_last_insert_rowid(db_.handle());
    return code == SQLITE_DONE ? SQLITE_OK : code;
  }

  int writeLocations() {
    Statement insert = db_.prepare(
        "INSERT INTO location(scan, position, folder, sub_folders, file_types, level, scanned,"
        " volume_uuid, volume_label, mount_point, fs_type) VALUES(?,?,?,?,?,?,?,?,?,?,?)");
    int64_t position = 0;
    for (const StoredLocation& stored : scan_.locations) {
      const ScanLocation& location = stored.location;
      insert.bind(1, scanId_)
          .bind(2, position++)
          .bindBlob(3, location.folder)
          .bind(4, int64_t{location.subFolders})
          .bind(5, location.fileTypes)
          .bind(6, int64_t{location.level})
          .bind(7, int64_t{location.scanned})
          .bind(8, stored.volume.uuid)
          .bind(9, stored.volume.label)
          .bindBlob(10, stored.volume.mountPoint)
          .bind(11, stored.volume.fsType);
      const int code = insert.step();
      insert.reset();
      if (code != SQLITE_DONE) return code;
    }
    return SQLITE_OK;
  }

  // Contentless (the names are in the file table) and without positions:
  // the index only narrows the candidates, each of which is matched again.
  int createNameIndex() {
    const std::string table = nameIndexTable(scanId_);
    const std::string sql = "CREATE VIRTUAL TABLE " + table +
                            " USING fts5(name, content='', detail='none', columnsize=0,"
                            " tokenize='trigram')";
    int code = db_.execute(sql.c_str());
    if (code != SQLITE_OK) return code;
    indexInsert_ = db_.prepare("INSERT INTO " + table + "(rowid, name) VALUES(?, ?)");
    return indexInsert_.valid() ? SQLITE_OK : sqlite3_errcode(db_.handle());
  }

  int writeFolders(const std::vector<FolderRow>& folders, int64_t firstFolder, int64_t firstFile) {
    Statement insertFolder = db_.prepare(
        "INSERT INTO folder(id, scan, parent, path, walk_index, record_index, first_file,"
        " file_count, tree_files, tree_bytes) VALUES(?,?,?,?,?,?,?,?,?,?)");
    fileInsert_ = db_.prepare(
        "INSERT INTO file(id, folder, name, size, mtime, attributes, position)"
        " VALUES(?,?,?,?,?,?,?)");
    detailInsert_ = db_.prepare(
        "INSERT INTO file_detail(file, owner, version, crc32, sha256, title, artist, album, year,"
        " genre, comment, duration_ms, bitrate, sample_rate, channels, width, height, taken,"
        " camera, codec) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    nextFile_ = firstFile;
    for (size_t rank = 0; rank < folders.size(); ++rank) {
      if (cancelled(cancel_)) return SQLITE_INTERRUPT;
      const FolderRow& row = folders[rank];
      const FolderEntry& folder = result_.store.folder(row.storeIndex);
      const int64_t id = firstFolder + static_cast<int64_t>(rank);
      insertFolder.bind(1, id).bind(2, scanId_);
      if (row.parent >= 0) insertFolder.bind(3, firstFolder + row.parent);
      insertFolder.bindBlob(4, folder.path).bind(5, int64_t{row.storeIndex});
      if (row.recordIndex >= 0) insertFolder.bind(6, row.recordIndex);
      insertFolder.bind(7, nextFile_)
          .bind(8, int64_t{folder.fileCount()})
          .bind(9, static_cast<int64_t>(row.treeFiles))
          .bind(10, static_cast<int64_t>(row.treeBytes));
      int code = insertFolder.step();
      insertFolder.reset();
      if (code != SQLITE_DONE) return code;
      code = writeFiles(row.storeIndex, id);
      if (code != SQLITE_OK) return code;
    }
    return SQLITE_OK;
  }

  int writeFiles(uint32_t storeIndex, int64_t folderId) {
    const FolderEntry& folder = result_.store.folder(storeIndex);
    order_.resize(folder.fileCount());
    std::iota(order_.begin(), order_.end(), 0u);
    const RecordStore& store = result_.store;
    std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
      return store.name({storeIndex, a}) < store.name({storeIndex, b});
    });
    if (details_ != nullptr) details_->enterFolder(store, storeIndex, order_);
    for (uint32_t file : order_) {
      const FileEntry& entry = folder.file(file);
      const std::string_view name = store.name({storeIndex, file});
      const int64_t id = nextFile_++;
      fileInsert_.bind(1, id)
          .bind(2, folderId)
          .bindBlob(3, name)
          .bind(4, static_cast<int64_t>(entry.size))
          .bind(5, entry.mtime)
          .bind(6, int64_t{entry.attributes})
          .bind(7, int64_t{file});
      int code = fileInsert_.step();
      fileInsert_.reset();
      if (code != SQLITE_DONE) return code;
      indexText_ = indexedName(name);
      indexInsert_.bind(1, id).bind(2, indexText_);
      code = indexInsert_.step();
      indexInsert_.reset();
      if (code != SQLITE_DONE) return code;
      if (details_ != nullptr && details_->details(store, storeIndex, file, detailsRead_)) {
        code = writeDetails(id);
        if (code != SQLITE_OK) return code;
      }
    }
    return SQLITE_OK;
  }

  // One row for a file with anything to keep; a detail the file lacks is
  // NULL, so a scan of few media files stays small.
  int writeDetails(int64_t fileId) {
    const FileDetails& d = detailsRead_;
    const auto texts = detailTextsOf(d);
    const auto numbers = mediaNumbersOf(d);
    const auto mediaTexts = mediaTextsOf(d);
    bool any = false;
    for (const std::string* text : texts) any = any || !text->empty();
    for (const uint32_t* number : numbers) any = any || *number != 0;
    for (const std::string* text : mediaTexts) any = any || !text->empty();
    if (!any) return SQLITE_OK;
    detailInsert_.bind(1, fileId);
    int column = 2;
    for (const std::string* text : texts) bindText(column++, *text);
    for (const uint32_t* number : numbers) {
      if (*number == 0) {
        detailInsert_.bindNull(column++);
      } else {
        detailInsert_.bind(column++, int64_t{*number});
      }
    }
    for (const std::string* text : mediaTexts) bindText(column++, *text);
    const int code = detailInsert_.step();
    detailInsert_.reset();
    return code == SQLITE_DONE ? SQLITE_OK : code;
  }

  void bindText(int column, const std::string& text) {
    if (text.empty()) {
      detailInsert_.bindNull(column);
    } else {
      detailInsert_.bind(column, text);
    }
  }

  CatalogueDatabase& db_;
  const NewScan& scan_;
  const ScanResult& result_;
  DetailFeed* details_;
  const CancelFlag* cancel_;
  int64_t scanId_ = 0;
  int64_t nextFile_ = 0;
  Statement fileInsert_, indexInsert_, detailInsert_;
  std::vector<uint32_t> order_;
  std::string indexText_;
  FileDetails detailsRead_;
};

}  // namespace

int64_t columnBits(const StoredColumns& c) {
  return (c.owner ? 1 : 0) | (c.version ? 2 : 0) | (c.crc32 ? 4 : 0) | (c.sha256 ? 8 : 0) |
         (c.tags ? 16 : 0) | (c.media ? 32 : 0);
}

StoredColumns columnsOfBits(int64_t bits) {
  return StoredColumns{(bits & 1) != 0, (bits & 2) != 0,  (bits & 4) != 0,
                       (bits & 8) != 0, (bits & 16) != 0, (bits & 32) != 0};
}

std::optional<int64_t> writeScan(CatalogueDatabase& database, const NewScan& scan,
                                 const ScanResult& result, DetailFeed* details,
                                 const CancelFlag* cancel, CatalogueError& error) {
  return ScanWrite(database, scan, result, details, cancel).run(error);
}

}  // namespace tallyfold
