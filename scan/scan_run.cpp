#include "scan/scan_run.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <stdexcept>

#include "scan/walker.h"

namespace tallyfold {

namespace {

constexpr std::string_view kAllLevels = "All Levels";

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The small-icon cell read as a number, the way the list keeps it: leading
// digits count ("4" and "4.0" both mean 4); a text without a number is 0.
bool isNotScanned(const ScanLocation& row) {
  std::string_view text = trimmed(row.smallIcon);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value == 4;
}

CurrentLocation currentLocationOf(const ScanLocation& row) {
  CurrentLocation location;
  location.includeSubFolders = row.subFolder == "Yes";
  location.filter = row.fileTypes;
  if (!parseLevel(row.level, location.level)) {
    throw std::invalid_argument("Level \"" + row.level + "\" of " + row.folder +
                                " is not a whole number");
  }
  return location;
}

std::string twoDigits(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
  return text;
}

}  // namespace

bool parseLevel(std::string_view text, int& level) {
  if (text.empty() || text == kAllLevels) {
    level = 0;
    return true;
  }
  std::string_view digits = trimmed(text);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int16_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return false;
  level = value;
  return true;
}

ScanResult runScan(const ScanRequest& request, CancelFlag& cancel, ScanStatus& status) {
  // Every level is checked before the first folder is read, so a bad row
  // leaves nothing half done.
  std::vector<std::pair<const ScanLocation*, CurrentLocation>> walks;
  for (const ScanLocation& row : request.locations) {
    if (!isNotScanned(row)) walks.emplace_back(&row, currentLocationOf(row));
  }
  ScanResult result;
  WalkContext context(request.exclusions, request.locations, request.folderRecords, cancel, status);
  for (const auto& [row, location] : walks) {
    // A row without a folder (possible in a hand-made job file) names
    // nothing; walking "/" in its place would list the whole machine.
    if (row->folder.empty()) {
      result.failures.push_back(ReadFailure{"", ENOENT});
      result.totals.emplace_back();
      continue;
    }
    result.totals.push_back(walkLocation(row->folder, location, context, result));
  }
  result.cancelled = cancel.load();
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
