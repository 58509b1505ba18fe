#pragma once
// Compares a saved JSON listing with a second listing or with a new scan, for
// both front ends: the files added, removed and changed (size, time, and the
// CRC-32 when both sides have one), in path order.
//
// When each side has exactly one location, files are matched by their path
// below it, so a listing of a folder compares with a scan of its copy
// elsewhere; otherwise by their full paths.

#include <string>
#include <vector>

#include "app/run_pipeline.h"
#include "listing/catalog_compare.h"

namespace tallyfold {

struct CompareOutcome {
  bool compared = false;  // false: the comparison could not be made (error)
  bool stopped = false;   // cancelled or stopped before the end
  std::string error;
  CompareCounts counts;
  // What the new scan could not read: the comparison is then incomplete.
  std::vector<ReadFailure> failures;
};

CompareOutcome compareListingFiles(const std::string& olderListing, const std::string& newerListing,
                                   RunControl& control, const ChangeVisitor& visit);

// Scans run.job's locations, or the older listing's locations (with their
// options) when the job has none, and compares the older listing with what
// the scan found. A file whose size and time agree but whose CRC-32 the older
// listing holds is read for its CRC.
CompareOutcome compareListingWithScan(const std::string& olderListing, RunSettings run,
                                      RunControl& control, const ChangeVisitor& visit);

// The same for sides already read (a listing, a stored scan): two catalogs,
// or a catalog and a new scan of run.job's locations (when the job has none,
// of olderLocations).
CompareOutcome compareCatalogSides(Catalog& older, Catalog& newer, RunControl& control,
                                   const ChangeVisitor& visit);
CompareOutcome compareCatalogWithScan(Catalog& older,
                                      const std::vector<ScanLocation>& olderLocations,
                                      RunSettings run, RunControl& control,
                                      const ChangeVisitor& visit);

}  // namespace tallyfold
