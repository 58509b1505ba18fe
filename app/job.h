#pragma once
// A job: report type, sort field and direction, listing font and the scan
// locations; kept in job files (.dif) and in default.dif in the application
// folder.

#include <string>
#include <vector>

#include "report/report.h"
#include "scan/scan_location.h"

namespace tallyfold {

struct Job {
  ReportType reportType = ReportType::Details;
  std::string sort = kDefaultSort;  // "Name", "Size" or "Date"
  bool ascending = true;
  std::string fontName = kDefaultFontName;
  std::string fontSize = kDefaultFontSize;
  std::vector<ScanLocation> locations;
};

// Writes the job file; replaces it atomically. False when it could not be
// written (the earlier file is then intact).
bool saveJob(const std::string& path, const Job& job);
// A job file is a few short lines; these bounds refuse what cannot be one
// (such as /dev/zero) before it fills the memory.
inline constexpr size_t kMostJobFileBytes = size_t{16} << 20;
inline constexpr size_t kMostJobLineBytes = size_t{64} << 10;

// Clears the job's locations, then applies what the file holds; lines it cannot
// use leave the job's values as they were. A file, a pipe or a FIFO is read to
// its end. False, with the reason in error, when the file cannot be read or
// breaks the bounds above.
bool loadJob(const std::string& path, Job& job, std::string* error = nullptr);
// The text of a job file, byte for byte.
std::string jobFileText(const Job& job);
// The texts the location list shows and the job file keeps for a row:
// "Yes" or "No"; "All Levels", a whole number, or "" for a row without
// sub-folders.
std::string subFolderCellText(const ScanLocation& row);
std::string levelCellText(const ScanLocation& row);
// default.dif in the application folder.
std::string defaultJobPath();

}  // namespace tallyfold
