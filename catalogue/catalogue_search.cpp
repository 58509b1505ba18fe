#include <limits>
#include <unordered_map>

#include "catalogue/catalogue.h"
#include "catalogue/name_pattern.h"
#include "catalogue/schema.h"
#include "catalogue/sqlite_database.h"
#include "platform/ascii_case.h"

namespace tallyfold {

namespace {

// SQLite asks every so many steps of its machine whether to go on: a
// search on a worker thread then ends soon after the window cancels it.
extern "C" int stopWhenCancelled(void* flag) {
  const auto* cancel = static_cast<const CancelFlag*>(flag);
  return cancel != nullptr && cancel->load(std::memory_order_relaxed) ? 1 : 0;
}

class ProgressGuard {
 public:
  ProgressGuard(sqlite3* db, const CancelFlag* cancel) : db_(db) {
    if (cancel != nullptr) {
      sqlite3_progress_handler(db, 1000, stopWhenCancelled,
                               const_cast<void*>(static_cast<const void*>(cancel)));
    }
  }
  ~ProgressGuard() { sqlite3_progress_handler(db_, 0, nullptr, nullptr); }
  ProgressGuard(const ProgressGuard&) = delete;
  ProgressGuard& operator=(const ProgressGuard&) = delete;

 private:
  sqlite3* db_;
};

std::string foldedExtension(std::string_view extension) {
  if (extension.starts_with('.')) extension.remove_prefix(1);
  return foldedName(extension);
}

bool hasExtension(std::string_view foldedName, const std::vector<std::string>& extensions) {
  if (extensions.empty()) return true;
  const size_t dot = foldedName.find_last_of('.');
  const std::string_view extension =
      dot == std::string_view::npos || dot == 0 ? std::string_view() : foldedName.substr(dot + 1);
  for (const std::string& wanted : extensions) {
    if (extension == wanted) return true;
  }
  return false;
}

class ScanSearch {
 public:
  ScanSearch(CatalogueDatabase& db, const SearchQuery& query, const SearchVisitor& visit,
             const CancelFlag* cancel)
      : db_(db), query_(query), pattern_(query.pattern), visit_(visit), cancel_(cancel) {
    for (const std::string& extension : query.extensions) {
      extensions_.push_back(foldedExtension(extension));
    }
    folderPath_ = db.prepare("SELECT path FROM folder WHERE id = ?");
  }

  // SQLITE_DONE when the scan was searched (or the visitor had enough).
  int searchScan(const ScanSummary& scan, int64_t firstFile, int64_t lastFile) {
    std::string sql;
    const std::string filters = " AND f.size BETWEEN ?2 AND ?3 AND f.mtime >= ?4 AND f.mtime < ?5";
    if (!pattern_.indexQuery().empty()) {
      const std::string table = nameIndexTable(scan.id);
      sql = "SELECT f.folder, f.name, f.size, f.mtime FROM " + table +
            " CROSS JOIN file AS f ON f.id = " + table + ".rowid WHERE " + table + " MATCH ?1" +
            filters + " ORDER BY " + table + ".rowid";
    } else {
      sql = "SELECT f.folder, f.name, f.size, f.mtime FROM file AS f WHERE f.id BETWEEN ?6 AND ?7" +
            filters + " ORDER BY f.id";
    }
    Statement rows = db_.prepare(sql);
    if (!rows.valid()) return sqlite3_errcode(db_.handle());
    if (!pattern_.indexQuery().empty()) rows.bind(1, pattern_.indexQuery());
    rows.bind(2, static_cast<int64_t>(std::min<uint64_t>(query_.minSize.value_or(0),
                                                         std::numeric_limits<int64_t>::max())));
    rows.bind(3, static_cast<int64_t>(std::min<uint64_t>(
                     query_.maxSize.value_or(std::numeric_limits<int64_t>::max()),
                     std::numeric_limits<int64_t>::max())));
    rows.bind(4, query_.newerThan.value_or(std::numeric_limits<int64_t>::min()));
    rows.bind(5, query_.olderThan.value_or(std::numeric_limits<int64_t>::max()));
    if (pattern_.indexQuery().empty()) rows.bind(6, firstFile).bind(7, lastFile);
    folders_.clear();
    int code;
    while ((code = rows.step()) == SQLITE_ROW) {
      if (!visitRow(rows, scan)) return SQLITE_DONE;
    }
    return code;
  }

  uint64_t found() const { return found_; }
  bool finished() const { return stopped_; }

 private:
  bool visitRow(const Statement& rows, const ScanSummary& scan) {
    const std::string_view name = rows.text(1);
    foldNameInto(name, folded_);
    if (!pattern_.matchesFolded(folded_) || !hasExtension(folded_, extensions_)) return true;
    if (query_.countOnly) {
      ++found_;
      if (query_.limit != 0 && found_ >= query_.limit) {
        stopped_ = true;
        return false;
      }
      return true;
    }
    path_ = folderPathOf(rows.integer(0));
    path_.append(name);
    SearchHit hit;
    hit.scanId = scan.id;
    hit.scanLabel = scan.label;
    hit.path = path_;
    hit.size = static_cast<uint64_t>(rows.integer(2));
    hit.mtime = rows.integer(3);
    ++found_;
    if (!visit_(hit) || (query_.limit != 0 && found_ >= query_.limit)) {
      stopped_ = true;
      return false;
    }
    return true;
  }

  const std::string& folderPathOf(int64_t folder) {
    auto known = folders_.find(folder);
    if (known != folders_.end()) return known->second;
    folderPath_.bind(1, folder);
    std::string path;
    if (folderPath_.step() == SQLITE_ROW) path = folderPath_.text(0);
    folderPath_.reset();
    return folders_.emplace(folder, std::move(path)).first->second;
  }

  CatalogueDatabase& db_;
  const SearchQuery& query_;
  NamePattern pattern_;
  const SearchVisitor& visit_;
  const CancelFlag* cancel_;
  std::vector<std::string> extensions_;
  Statement folderPath_;
  std::unordered_map<int64_t, std::string> folders_;
  std::string folded_, path_;
  uint64_t found_ = 0;
  bool stopped_ = false;
};

bool chosen(const SearchQuery& query, int64_t scanId) {
  if (query.scans.empty()) return true;
  for (int64_t id : query.scans) {
    if (id == scanId) return true;
  }
  return false;
}

}  // namespace

std::optional<uint64_t> Catalogue::search(const SearchQuery& query, const SearchVisitor& visit,
                                          const CancelFlag* cancel, CatalogueError& error) {
  std::vector<ScanSummary> scans;
  if (!listScans(scans, error)) return std::nullopt;
  ProgressGuard progress(database_->handle(), cancel);
  // One read transaction: an add that commits meanwhile is not half seen.
  database_->execute("BEGIN");
  Statement ranges = database_->prepare("SELECT first_file, last_file FROM scan WHERE id = ?");
  ScanSearch search(*database_, query, visit, cancel);
  int code = SQLITE_DONE;
  for (const ScanSummary& scan : scans) {
    if (!chosen(query, scan.id)) continue;
    ranges.bind(1, scan.id);
    if (ranges.step() != SQLITE_ROW) {
      ranges.reset();
      continue;
    }
    const int64_t first = ranges.integer(0), last = ranges.integer(1);
    ranges.reset();
    code = search.searchScan(scan, first, last);
    if (code != SQLITE_DONE || search.finished()) break;
  }
  database_->execute("COMMIT");
  if (cancel != nullptr && cancel->load()) code = SQLITE_INTERRUPT;
  if (code == SQLITE_DONE) return search.found();
  error = database_->fault(code, "cannot search the catalogue");
  return std::nullopt;
}

}  // namespace tallyfold
