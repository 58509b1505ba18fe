#pragma once
// Writes one scan into the catalogue in one transaction: the scan's row, its
// locations, its folders with parent links and subtree totals, its files in
// path order with the details read, and the trigram index of its names.

#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/catalogue_types.h"
#include "catalogue/sqlite_database.h"

namespace tallyfold {

// Where the stored details of a scan's files come from: the files
// themselves (an add) or what a listing held (an import).
class DetailFeed {
 public:
  virtual ~DetailFeed() = default;
  // The folder whose files are asked next, in the order given.
  virtual void enterFolder(const RecordStore& store, uint32_t folder,
                           const std::vector<uint32_t>& files) = 0;
  // The details of one of them; false when there are none to keep.
  virtual bool details(const RecordStore& store, uint32_t folder, uint32_t file,
                       FileDetails& details) = 0;
};

// The stored columns as the bits of the scan table's "columns".
int64_t columnBits(const StoredColumns& columns);
StoredColumns columnsOfBits(int64_t bits);

std::optional<int64_t> writeScan(CatalogueDatabase& database, const NewScan& scan,
                                 const ScanResult& result, DetailFeed* details,
                                 const CancelFlag* cancel, CatalogueError& error);

}  // namespace tallyfold
