#pragma once
// The walk shared by the CSV and JSON listings: the scan's file records in
// report order (the whole-list order, and within a folder the detailed list's
// order by the job's sort choice), each with its detail columns read, handed
// to a writer one file at a time, so no listing is ever held whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_columns.h"
#include "scan/records.h"
#include "scan/run_control.h"
#include "scan/scan_run.h"

namespace tallyfold {

class Collation;
class DetailSource;

struct ListedFile {
  std::string_view folder;  // without its trailing "/", but "/" itself
  std::string_view name;
  uint64_t size = 0;
  int64_t mtime = 0;
  const std::vector<std::string>& values;  // one per detail column
};

class ListingWriter {
 public:
  virtual ~ListingWriter() = default;
  virtual void writeFile(const ListedFile& file) = 0;
};

struct ListingInput {
  const RecordStore& store;
  const std::vector<RecordRef>& sortedRecords;  // in whole-list order
  std::string_view sortField;                   // the job's "Name", "Size" or "Date"
  bool ascending = true;
  const Collation& collation;
  // When set, the files' details come from here instead of the files.
  const DetailSource* storedDetails = nullptr;
};

// Hands every file record to the writer with its detail columns; folder
// records are skipped. Stops early on a cancel. Answers the files whose
// detail columns could not be read (their columns are empty), in listing
// order.
std::vector<ReadFailure> writeListedFiles(const ListingInput& input,
                                          const std::vector<ListingColumn>& columns,
                                          ListingWriter& writer, RunControl& control);

}  // namespace tallyfold
