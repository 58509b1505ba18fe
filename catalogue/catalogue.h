#pragma once
// The catalogue: every scan the user keeps, in one SQLite file, so that a
// file can be found, a disk listed again and two scans compared with no disk
// attached. Both front ends use it; it knows nothing of either.
//
// One Catalogue is one connection and belongs to one thread at a time; a
// window that searches on a worker opens a Catalogue of its own there. Any
// number of readers and one writer can use the same file at once (WAL).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_types.h"
#include "listing/catalog.h"
#include "listing/catalog_compare.h"
#include "scan/scan_run.h"

namespace tallyfold {

class CatalogueDatabase;

class Catalogue {
 public:
  // catalogue.sqlite in the application folder.
  static std::string defaultPath();

  // Opens the catalogue, creating it (and its folder) when it does not exist
  // and access allows writing. Refuses a file that is no catalogue, is
  // corrupt, or comes from a newer version of the program, leaving it as it
  // is. Empty, with the fault in error, when it cannot be used.
  static std::unique_ptr<Catalogue> open(const std::string& path, CatalogueAccess access,
                                         CatalogueError& error);
  ~Catalogue();
  Catalogue(const Catalogue&) = delete;
  Catalogue& operator=(const Catalogue&) = delete;

  const std::string& path() const { return path_; }

  // Every scan, oldest first.
  bool listScans(std::vector<ScanSummary>& scans, CatalogueError& error);
  // One scan with its locations and their volumes.
  bool scanInfo(int64_t scanId, ScanInfo& info, CatalogueError& error);
  // A scan named by its id or its label; an unknown or ambiguous name is an
  // error whose message names the candidates.
  std::optional<int64_t> resolveScan(std::string_view idOrLabel, CatalogueError& error);
  bool renameScan(int64_t scanId, std::string_view label, CatalogueError& error);
  bool removeScan(int64_t scanId, CatalogueError& error);

  // Stores a finished scan (folder records included, any order) in one
  // transaction: a failed, cancelled or killed add leaves the catalogue as it
  // was. The columns of scan.columns are read from the files now. Answers
  // the new scan's id.
  std::optional<int64_t> addScan(const NewScan& scan, const ScanResult& result,
                                 const CancelFlag* cancel, CatalogueError& error);

  // Streams the files whose names match, scan by scan in path order, to the
  // visitor (which answers false to stop). cancel may be set from another
  // thread; the search then ends soon with CatalogueFault::Cancelled.
  // Answers the number of files visited.
  std::optional<uint64_t> search(const SearchQuery& query, const SearchVisitor& visit,
                                 const CancelFlag* cancel, CatalogueError& error);

  // The lazy tree of a scan: the top folders (folderId 0, one per location)
  // or the sub-folders and files of one folder; folders carry the totals of
  // their whole subtree.
  bool children(int64_t scanId, int64_t folderId, FolderChildren& children, CatalogueError& error);

  // The records of a scan, or of one folder's subtree (folderId not 0, whose
  // folder becomes the one location), rebuilt for the report pipeline with
  // the details read at add time.
  bool loadScan(int64_t scanId, int64_t folderId, StoredScan& stored, const CancelFlag* cancel,
                CatalogueError& error);

  // One side of a comparison: the scan's files with their CRC-32 where it was
  // stored, and its locations as roots.
  bool loadCatalog(int64_t scanId, Catalog& catalog, const CancelFlag* cancel,
                   CatalogueError& error);

  // What changed from the older scan to the newer one, in key order (paths
  // below the one location each when both have one location).
  std::optional<CompareCounts> compareScans(int64_t olderScan, int64_t newerScan,
                                            const ChangeVisitor& visit, const CancelFlag* cancel,
                                            CatalogueError& error);

  // Groups of files of equal size and SHA-256 across the chosen scans (empty:
  // all). A candidate whose digest was not stored is hashed when its file is
  // reachable at its path; the rest are named as unconfirmed.
  bool findDuplicates(const std::vector<int64_t>& scans, const DuplicateVisitor& visit,
                      const CancelFlag* cancel, CatalogueError& error);

  // A JSON listing becomes a scan (paths, sizes, times, CRC-32 where given).
  std::optional<int64_t> importListing(const std::string& listingPath, std::string_view label,
                                       const CancelFlag* cancel, CatalogueError& error);

 private:
  Catalogue(std::string path, std::unique_ptr<CatalogueDatabase> database);

  std::string path_;
  std::unique_ptr<CatalogueDatabase> database_;
};

}  // namespace tallyfold
