#include "app/listing_compare.h"

#include "listing/json_listing_reader.h"
#include "platform/crc32.h"

namespace tallyfold {

namespace {

bool readSide(const std::string& path, Catalog& catalog, JsonListingContents& contents,
              RunControl& control, CompareOutcome& outcome) {
  if (readJsonListing(path, catalog, contents, outcome.error, &control.cancelFlag())) return true;
  if (control.cancelRequested()) {
    outcome.stopped = true;
    outcome.error.clear();
  }
  return false;
}

CompareOutcome compareSides(Catalog& older, Catalog& newer, RunControl& control,
                            const ChangeVisitor& visit, const CrcLookup& crcOfNewer = {}) {
  CompareOutcome outcome;
  if (older.roots().size() == 1 && newer.roots().size() == 1) {
    older.useKeysBelowRoot();
    newer.useKeysBelowRoot();
  }
  control.enterPhase(RunPhase::Sorting);
  older.sortByKey();
  newer.sortByKey();
  control.enterPhase(RunPhase::Formatting);
  outcome.counts = compareCatalogs(older, newer, visit, crcOfNewer);
  outcome.stopped = control.cancelRequested();
  outcome.compared = !outcome.stopped;
  return outcome;
}

}  // namespace

CompareOutcome compareListingFiles(const std::string& olderListing, const std::string& newerListing,
                                   RunControl& control, const ChangeVisitor& visit) {
  CompareOutcome outcome;
  Catalog older, newer;
  JsonListingContents olderContents, newerContents;
  if (!readSide(olderListing, older, olderContents, control, outcome) ||
      !readSide(newerListing, newer, newerContents, control, outcome)) {
    return outcome;
  }
  return compareSides(older, newer, control, visit);
}

CompareOutcome compareCatalogSides(Catalog& older, Catalog& newer, RunControl& control,
                                   const ChangeVisitor& visit) {
  return compareSides(older, newer, control, visit);
}

CompareOutcome compareListingWithScan(const std::string& olderListing, RunSettings run,
                                      RunControl& control, const ChangeVisitor& visit) {
  CompareOutcome outcome;
  Catalog older;
  JsonListingContents olderContents;
  if (!readSide(olderListing, older, olderContents, control, outcome)) return outcome;
  if (run.job.locations.empty() && olderContents.locations.empty()) {
    outcome.error = "'" + olderListing + "' names no locations to scan";
    return outcome;
  }
  return compareCatalogWithScan(older, olderContents.locations, std::move(run), control, visit);
}

CompareOutcome compareCatalogWithScan(Catalog& older,
                                      const std::vector<ScanLocation>& olderLocations,
                                      RunSettings run, RunControl& control,
                                      const ChangeVisitor& visit) {
  CompareOutcome outcome;
  if (run.job.locations.empty()) run.job.locations = olderLocations;
  if (run.job.locations.empty()) {
    outcome.error = "the older side names no locations to scan";
    return outcome;
  }
  // Only the files count; folder records are not asked for.
  run.job.reportType = ReportType::Details;
  ScanResult scan = scanJob(run, control);
  if (control.stopRequested()) {
    outcome.stopped = true;
    return outcome;
  }
  Catalog newer;
  for (const ScanLocation& location : run.job.locations) {
    if (location.scanned) newer.addRoot(location.folder);
  }
  newer.addScan(scan.store, scan.records);
  std::vector<ReadFailure> failures = std::move(scan.failures);
  scan = ScanResult();  // the catalog holds what the comparison needs
  const CancelFlag* cancel = &control.cancelFlag();
  auto crcOfNewer = [cancel](const CatalogEntry& entry) {
    return fileCrc32(std::string(entry.fullPath()), cancel);
  };
  CompareOutcome compared = compareSides(older, newer, control, visit, crcOfNewer);
  compared.failures = std::move(failures);
  return compared;
}

}  // namespace tallyfold
