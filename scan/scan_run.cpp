#include "scan/scan_run.h"

#include <cerrno>
#include <cstdio>

#include "platform/stat_ring.h"
#include "scan/walker.h"

namespace tallyfold {

namespace {

CurrentLocation currentLocationOf(const ScanLocation& row) {
  CurrentLocation location;
  location.includeSubFolders = row.subFolders;
  location.filter = row.fileTypes;
  location.level = row.level;
  return location;
}

std::string twoDigits(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
  return text;
}

}  // namespace

ScanResult runScan(const ScanRequest& request, RunControl& control) {
  control.enterPhase(RunPhase::Scanning);
  ScanResult result;
  WalkContext context(request.exclusions, request.folderRecords, control, request.followLinks);
  context.setThreads(request.threads);
  result.ringRefusal = statRingRefusal();
  for (const ScanLocation& row : request.locations) {
    if (!row.scanned) continue;
    // A row without a folder (possible in a hand-made job file) names
    // nothing; walking "/" in its place would list the whole machine.
    if (row.folder.empty()) {
      result.failures.push_back(ReadFailure{"", ENOENT, {}});
      result.totals.emplace_back();
      continue;
    }
    if (!row.unreadableLevel.empty()) {
      result.failures.push_back(ReadFailure{
          row.folder, EINVAL, "its level \"" + row.unreadableLevel + "\" is not a whole number"});
      result.totals.emplace_back();
      continue;
    }
    result.totals.push_back(walkLocation(row.folder, currentLocationOf(row), context, result));
  }
  result.cancelled = control.cancelRequested();
  return result;
}

std::string formatSeconds(int64_t seconds) {
  int64_t s = seconds < 0 ? 0 : seconds;
  if (s < 60) return "00:00:" + twoDigits(s);
  int64_t m = s / 60;
  s -= 60 * m;
  if (m < 60) return "00:" + twoDigits(m) + ":" + twoDigits(s);
  int64_t h = m / 60;
  m -= 60 * h;
  return std::to_string(h) + ":" + std::to_string(m) + ":" + twoDigits(s);
}

int64_t ElapsedTimer::elapsedSeconds() const {
  auto elapsed = std::chrono::steady_clock::now() - start_;
  return std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
}

std::string ElapsedTimer::elapsedText() const {
  return formatSeconds(elapsedSeconds());
}

}  // namespace tallyfold
