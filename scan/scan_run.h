#pragma once
// The scan run without a window: walks every scan location in list order and
// collects the records. The window and the command-line program each give it a
// status sink; sorting and the report come after it.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/exclusions.h"
#include "scan/records.h"
#include "scan/scan_location.h"

namespace tallyfold {

// Set by the Cancel command (or an aborted error report) from any thread;
// polled by the walk and the detailed-list report.
using CancelFlag = std::atomic<bool>;

// Where a run's status texts and progress go.
class ScanStatus {
 public:
  virtual ~ScanStatus() = default;
  // The status bar's message text ("Scanning... /path/", "Ready" ...).
  virtual void showStatus(std::string_view text) = 0;
  // Counts so far; called often, a sink shows them at its own pace.
  virtual void showProgress(uint64_t entriesSeen, uint64_t foldersSeen) {
    (void)entriesSeen;
    (void)foldersSeen;
  }
};

// What the walk of one location found.
struct ScanTotals {
  uint64_t totalSize = 0;
  uint64_t files = 0;
  uint64_t folders = 0;  // sub-folders walked; the location itself not counted
};

// A folder or file that could not be read, with the system's reason.
struct ReadFailure {
  std::string path;
  int error = 0;  // errno
};

struct ScanResult {
  RecordStore store;
  std::vector<RecordRef> records;  // walk order
  std::vector<ScanTotals> totals;  // one per walked location
  std::vector<ReadFailure> failures;
  bool cancelled = false;
};

struct ScanRequest {
  std::vector<ScanLocation> locations;  // all rows; rows marked "4" are skipped
  ExclusionLists exclusions;
  bool folderRecords = false;  // every report type but the detailed list
};

// The level cell as a depth limit: 0 for "All Levels" or empty, else the whole
// number. False when the text is none of these.
bool parseLevel(std::string_view text, int& level);

// Walks every scanned row in list order. Throws std::invalid_argument, before
// walking anything, when a scanned row's level is not a whole number.
ScanResult runScan(const ScanRequest& request, CancelFlag& cancel, ScanStatus& status);

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
