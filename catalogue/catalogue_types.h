#pragma once
// What goes into the catalogue and what comes out of it: scans, their
// locations and volumes, search queries and hits, tree nodes, stored scans
// rebuilt for the reports, duplicate groups, and the faults.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/volume_identity.h"
#include "report/detail_source.h"
#include "report/file_detail_reader.h"
#include "report/report_settings.h"
#include "scan/run_control.h"
#include "scan/scan_location.h"
#include "scan/scan_run.h"

namespace tallyfold {

enum class CatalogueAccess { ReadWrite, ReadOnly };

enum class CatalogueFault {
  None,
  Missing,       // no file at the path (read-only access)
  NotCatalogue,  // a file that is no catalogue, or is corrupt
  NewerSchema,   // made by a newer version of the program
  ReadOnly,      // the file or its folder cannot be written
  Full,          // the disk is full
  Busy,          // another program holds the write lock too long
  NoSuchScan,
  AmbiguousScan,
  Cancelled,
  Other,
};

struct CatalogueError {
  CatalogueFault fault = CatalogueFault::None;
  std::string message;
  explicit operator bool() const { return fault != CatalogueFault::None; }
};

// The optional columns read of every file when the scan was added.
struct StoredColumns {
  bool owner = false;
  bool version = false;
  bool crc32 = false;
  bool sha256 = false;
  bool tags = false;
  bool media = false;  // the facts behind every media column
  bool any() const { return owner || version || crc32 || sha256 || tags || media; }
};

// The columns a scan made with these report settings reads, and so stores.
StoredColumns storedColumnsOf(const ReportSettings& settings);

struct StoredLocation {
  ScanLocation location;
  VolumeIdentity volume;
};

struct ScanSummary {
  int64_t id = 0;
  std::string label;
  int64_t time = 0;  // when the scan started, seconds since the epoch
  std::string host;
  std::string volume;  // the first location's volume: label, else UUID, else mount point
  uint64_t files = 0;
  uint64_t folders = 0;
  uint64_t bytes = 0;
  StoredColumns columns;
};

struct ScanInfo {
  ScanSummary summary;
  std::vector<StoredLocation> locations;
};

// A scan to add. Volumes are looked up for the locations that lack one.
struct NewScan {
  std::string label;  // empty: the volume's label, else the location's last folder name
  int64_t time = 0;
  std::string host;  // empty: this computer's
  std::vector<StoredLocation> locations;
  StoredColumns columns;
  std::string source;  // the listing an imported scan came from
};

struct SearchQuery {
  // A substring ("holiday"), or a glob of the whole name when it holds "*",
  // "?" or "[" ("*.flac", "IMG_20??*"); letter case is ignored either way.
  std::string pattern;
  std::optional<uint64_t> minSize, maxSize;     // bytes, both inclusive
  std::optional<int64_t> newerThan, olderThan;  // modified at or after / before
  std::vector<std::string> extensions;          // "flac" or ".flac", case ignored
  std::vector<int64_t> scans;                   // empty: every scan
  uint64_t limit = 0;                           // 0: every match
  // Only the number of matches is wanted: the visitor is not called.
  bool countOnly = false;
};

struct SearchHit {
  int64_t scanId = 0;
  std::string_view scanLabel;
  std::string_view path;  // folder, "/", name: the exact bytes
  uint64_t size = 0;
  int64_t mtime = 0;
};
// Answers false to end the search.
using SearchVisitor = std::function<bool(const SearchHit& hit)>;

struct FolderNode {
  int64_t id = 0;
  std::string name;    // the location's folder for a top folder
  uint64_t files = 0;  // of the whole subtree
  uint64_t bytes = 0;
  bool hasSubFolders = false;
};

struct FileNode {
  std::string name;
  uint64_t size = 0;
  int64_t mtime = 0;
  uint8_t attributes = 0;
};

struct FolderChildren {
  std::vector<FolderNode> folders;  // in name byte order
  std::vector<FileNode> files;      // in name byte order
};

// The details stored with a scan's files, handed to the reports.
class StoredDetails : public DetailSource {
 public:
  StoredDetails();
  ~StoredDetails() override;
  StoredDetails(StoredDetails&&) noexcept;
  StoredDetails& operator=(StoredDetails&&) noexcept;

  int details(RecordRef file, FileDetails& details) const override;
  // Keeps the details of one file record.
  void keep(RecordRef file, FileDetails details);
  bool empty() const;

 private:
  struct Table;
  std::unique_ptr<Table> table_;
};

struct StoredScan {
  ScanInfo info;
  ScanResult scan;  // folder records included; in folder, then name order
  StoredDetails details;
};

struct DuplicateFile {
  int64_t scanId = 0;
  std::string scanLabel;
  std::string path;
};

struct DuplicateGroup {
  uint64_t size = 0;
  std::string sha256;  // 64 hex digits; empty for an unconfirmed group
  std::vector<DuplicateFile> files;
};
// Answers false to end the search.
using DuplicateVisitor = std::function<bool(const DuplicateGroup& group)>;

}  // namespace tallyfold
