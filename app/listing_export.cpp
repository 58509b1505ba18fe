#include "app/listing_export.h"

#include "listing/csv_listing_writer.h"
#include "listing/json_listing_writer.h"
#include "listing/listing_walk.h"
#include "platform/text_file.h"
#include "report/collation.h"
#include "report/sorting.h"

namespace tallyfold {

namespace {

template <class Writer>
ListingResult writeListing(ScanResult& scan, const RunSettings& run, const std::string& path,
                           RunControl& control, Writer& writer, AtomicFileWriter& file) {
  ListingResult result;
  const Collation collation = Collation::forUserLocale();
  control.enterPhase(RunPhase::Sorting);
  scan.records = sortRecords(scan.store, std::move(scan.records), collation, &control.cancelFlag());
  const std::vector<ListingColumn> columns = listingColumnsOf(run.report);
  const ListingInput input{scan.store,        scan.records, run.job.sort,
                           run.job.ascending, collation,    run.storedDetails};
  if (!control.cancelRequested()) {
    result.unreadable = writeListedFiles(input, columns, writer, control);
  }
  // A listing that stops half-way would pass for the whole scan: it is
  // never put in place.
  if (control.cancelRequested()) {
    result.stopped = true;
    return result;
  }
  writer.finish();
  if (file.commit()) {
    result.written = true;
  } else {
    result.error = file.error().empty() ? "cannot write '" + path + "'" : file.error();
  }
  return result;
}

ByteOutput outputTo(AtomicFileWriter& file) {
  return [&file](std::string_view bytes) { file.write(bytes); };
}

}  // namespace

std::vector<ScanLocation> scannedLocations(const Job& job) {
  std::vector<ScanLocation> scanned;
  for (const ScanLocation& location : job.locations) {
    if (location.scanned) scanned.push_back(location);
  }
  return scanned;
}

ListingResult writeCsvListing(ScanResult& scan, const RunSettings& run, const std::string& path,
                              RunControl& control) {
  AtomicFileWriter file(path);
  CsvListingWriter writer(outputTo(file), listingColumnsOf(run.report));
  return writeListing(scan, run, path, control, writer, file);
}

ListingResult writeJsonListing(ScanResult& scan, const RunSettings& run, int64_t scanTime,
                               const std::string& path, RunControl& control) {
  ListingHeader header;
  header.version = listingProgramVersion();
  header.scanTime = scanTime;
  header.locations = scannedLocations(run.job);
  header.columns = listingColumnsOf(run.report);
  AtomicFileWriter file(path);
  JsonListingWriter writer(outputTo(file), header);
  return writeListing(scan, run, path, control, writer, file);
}

}  // namespace tallyfold
