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
// Clears the job's locations, then applies what the file holds; lines it cannot
// use leave the job's values as they were. False when the file cannot be read.
bool loadJob(const std::string& path, Job& job);
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
