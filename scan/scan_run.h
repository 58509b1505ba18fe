#pragma once
// The scan run: walks every scan location in list order and collects the
// records, reporting its progress to the run control. Sorting and the report
// come after it (app/run_pipeline.h).

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/exclusions.h"
#include "scan/records.h"
#include "scan/run_control.h"
#include "scan/scan_location.h"

namespace tallyfold {

// What the walk of one location found.
struct ScanTotals {
  uint64_t totalSize = 0;
  uint64_t files = 0;
  uint64_t folders = 0;  // sub-folders walked; the location itself not counted
};

// A folder or file that could not be read, with the system's reason, or a
// scan location that could not be walked as it stands (its reason in words).
struct ReadFailure {
  std::string path;
  int error = 0;        // errno
  std::string problem;  // when not empty, said instead of the errno's text
};

struct ScanResult {
  RecordStore store;
  std::vector<RecordRef> records;  // walk order
  std::vector<ScanTotals> totals;  // one per walked location
  std::vector<ReadFailure> failures;
  bool cancelled = false;
  // 0 when the walk kept many look-ups in flight through a ring; else why it
  // examined entries one call at a time (an errno, or kRingTurnedOff).
  int ringRefusal = 0;
};

struct ScanRequest {
  std::vector<ScanLocation> locations;  // all rows; rows not to be scanned are skipped
  ExclusionLists exclusions;
  bool folderRecords = false;  // every report type but the detailed list
  bool followLinks = false;    // enter links to folders (each real folder once)
  unsigned threads = 0;        // folders read at once; 0: chosen by each file system
};

// Walks every scanned row in list order. A row whose level could not be read
// from its job file is not walked and is named among the failures.
ScanResult runScan(const ScanRequest& request, RunControl& control);

// "00:00:07", "00:02:05", "1:2:05", "10:0:00".
std::string formatSeconds(int64_t seconds);

// The elapsed-time counter of a scan.
class ElapsedTimer {
 public:
  ElapsedTimer() { reset(); }
  void reset() { start_ = std::chrono::steady_clock::now(); }
  // formatSeconds of the whole seconds since the last reset.
  std::string elapsedText() const;
  int64_t elapsedSeconds() const;

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace tallyfold
