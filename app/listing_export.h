#pragma once
// The machine-readable listings of a scan, for both front ends: CSV and JSON,
// one row or object per listed file in report order, with the detail columns
// the report settings switch on. The file is replaced atomically.

#include <cstdint>
#include <string>
#include <vector>

#include "app/run_pipeline.h"

namespace tallyfold {

struct ListingResult {
  bool written = false;  // the file is in place
  bool stopped = false;  // cancelled or stopped: nothing replaced
  std::string error;     // why it was not written, when not stopped
  // Files whose detail columns could not be read (their values are empty).
  std::vector<ReadFailure> unreadable;
};

// The locations of the job that were scanned, for a listing's header.
std::vector<ScanLocation> scannedLocations(const Job& job);

// Both sort the scan's records into report order first (as reportScan does;
// records already in that order stay so) and leave them sorted.
ListingResult writeCsvListing(ScanResult& scan, const RunSettings& run, const std::string& path,
                              RunControl& control);
// scanTime: when the scan started (seconds since the epoch), for the header.
ListingResult writeJsonListing(ScanResult& scan, const RunSettings& run, int64_t scanTime,
                               const std::string& path, RunControl& control);

}  // namespace tallyfold
